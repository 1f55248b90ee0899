#pragma once

#include <array>
#include <optional>

// Which on-screen keys sound and what their press started. A key can be held
// by several sources at once (a computer key, the mouse, a MIDI keyboard, a
// replay): it sounds from the first press until the last of them lets go, and
// its note-off stops the pitch that the first press sounded, in the form that
// press chose, whatever the base note or the patch became meanwhile.
class KeyHolds {
public:
    static constexpr int keyCount = 41;

    // What a key's note-off must be: the note its press sounded and the patch
    // that decides the note-off's form (-1: a plain note-off on any patch).
    struct Sounding {
        int note = 0;
        int offPatch = -1;
    };

    // A press of key i that sounds `note`: true when it starts the note, false
    // when the key already sounds and this press only holds it as well.
    bool press(int i, int note, int offPatch);
    // A release of key i: the note-off to send when it was the last hold,
    // nothing while another hold remains or when nothing held the key.
    std::optional<Sounding> release(int i);

    bool held(int i) const;
    int holds(int i) const;
    // What key i's first press sounded (meaningful while it is held).
    Sounding sounding(int i) const;

private:
    struct Key {
        int holds = 0;
        Sounding sounding;
    };
    static bool valid(int i) { return i >= 0 && i < keyCount; }

    std::array<Key, keyCount> keys_{};
};
