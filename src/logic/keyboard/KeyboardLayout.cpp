#include "logic/keyboard/KeyboardLayout.h"

#include "logic/base/Rgb.h"
#include "logic/keyboard/KeyMap.h"

namespace KeyboardLayout {

namespace {
// Semitone within the octave -> white or black.
constexpr bool whiteInOctave[12] = {true, false, true, false, true, true, false, true, false, true, false, true};
constexpr const char* letters[12] = {"C", "", "D", "", "E", "F", "", "G", "", "A", "", "B"};

int whiteKeysBefore(int index)
{
    int count = 0;
    for (int i = 0; i < index; ++i)
        count += isWhite(i) ? 1 : 0;
    return count;
}
}  // namespace

bool isWhite(int index)
{
    return index >= 0 && whiteInOctave[index % 12];
}

Rect keyRect(int index)
{
    const int w = whiteKeysBefore(index);
    if (isWhite(index))
        return {120 + 480 * w, -840, 495, whiteHeight};
    // The white key to the left is the (w - 1)-th.
    return {120 + 480 * (w - 1) + 360, -840, 255, 1575};
}

std::string caption(int index)
{
    return index >= 0 ? letters[index % 12] : "";
}

std::string tooltip(int index)
{
    return isWhite(index) ? KeyMap::keyLabel(index) : std::string();
}

std::int32_t designBackground(int index) { return isWhite(index) ? rgb(255, 255, 255) : rgb(64, 0, 0); }
std::int32_t designText(int index) { return isWhite(index) ? rgb(192, 0, 192) : rgb(224, 224, 224); }
std::int32_t pressedText() { return rgb(255, 0, 0); }
std::int32_t pressedWhiteBackground() { return rgb(255, 255, 192); }
std::int32_t releasedText() { return rgb(192, 0, 192); }
std::int32_t releasedWhiteBackground() { return rgb(255, 255, 255); }

}  // namespace KeyboardLayout
