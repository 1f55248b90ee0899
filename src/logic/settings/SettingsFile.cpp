#include "logic/settings/SettingsFile.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"

#include "logic/base/NumberText.h"
#include "logic/base/TextLines.h"

namespace SettingsFile {

Lines parse(std::string_view text)
{
    Lines lines;
    const auto all = TextLines::split(text, lineCount);
    for (std::size_t i = 0; i < all.size(); ++i)
        lines[i] = all[i];
    return lines;
}

std::string serialize(const std::array<std::string, lineCount>& values)
{
    std::string out;
    for (const auto& v : values)
        out += v + "\r\n";
    return out;
}

namespace {
void takeNumber(const std::optional<std::string>& line, std::int16_t& into)
{
    const auto n = NumberText::toInt16(NumberText::fromText(line.value_or(std::string())));
    if (n)
        into = *n;
}
}  // namespace

KeyboardSettings keyboardSettings(const std::optional<std::string>& fileText)
{
    KeyboardSettings s;
    if (!fileText)
        return s;
    const Lines lines = parse(*fileText);
    if (lines[0])
        takeNumber(lines[0], s.midiChannel);
    if (lines[1])
        takeNumber(lines[1], s.baseNote);
    if (lines[2])
        s.times = *lines[2];
    takeNumber(lines[3], s.delayMin);
    takeNumber(lines[4], s.delayMax);
    takeNumber(lines[5], s.delayValue);
    takeNumber(lines[5], s.tempo);
    return s;
}

void installShipped(Files& files, const AppPaths& paths)
{
    const std::string mine = paths.keyboardSettingsFile();
    if (files.fileExists(mine))
        return;
    const std::string shipped = paths.shippedKeyboardSettings(files);
    if (!files.fileExists(shipped))
        return;
    if (const auto bytes = files.read(shipped))
        files.writeAtomically(mine, *bytes);
}

}  // namespace SettingsFile
