#include "logic/colour/ColourFiles.h"

#include "logic/base/NumberText.h"
#include "logic/base/TextLines.h"

namespace ColourFiles {

namespace {
std::optional<std::int32_t> packedValue(const std::string& line)
{
    return NumberText::toInt32(NumberText::fromText(line));
}

std::string numberLine(std::int32_t value)
{
    return NumberText::toText(value) + " \r\n";
}
}  // namespace

Skin parseSkin(const std::string& text)
{
    const auto lines = TextLines::split(text, 2);
    Skin skin;
    if (!lines.empty())
        skin.backgroundText = lines[0];
    skin.background = packedValue(skin.backgroundText);
    skin.layer = packedValue(lines.size() > 1 ? lines[1] : std::string());
    return skin;
}

std::string serializeSkin(std::int32_t background, std::int32_t layer)
{
    return numberLine(background) + numberLine(layer);
}

UserColours parseUserColours(const std::optional<std::string>& text)
{
    UserColours colours{};
    if (!text)
        return colours;
    const auto lines = TextLines::split(*text, colours.size());
    // Entries past the end of a short file are 0 (black), never a repeat of
    // the last line, which the next save would keep for good.
    for (std::size_t i = 0; i < lines.size() && i < colours.size(); ++i)
        colours[i] = packedValue(lines[i]).value_or(0);
    return colours;
}

std::string serializeUserColours(const UserColours& colours)
{
    std::string text;
    for (const std::int32_t c : colours)
        text += numberLine(c);
    return text;
}

}  // namespace ColourFiles
