#include "logic/midi/InstrumentNames.h"

#include "logic/base/IniProfile.h"
#include "logic/base/NumberText.h"

namespace InstrumentNames {

std::string name(const std::optional<std::string>& fileText, int patch)
{
    if (!fileText)
        return {};
    return IniProfile::value(*fileText, "General MIDI", NumberText::toText(patch));
}

std::string listText(const std::optional<std::string>& fileText, int box)
{
    std::string text;
    for (int p = patchesPerList * box; p < patchesPerList * (box + 1); ++p)
        text += "\n" + NumberText::toText(p) + " - " + name(fileText, p);
    return text;
}

}  // namespace InstrumentNames
