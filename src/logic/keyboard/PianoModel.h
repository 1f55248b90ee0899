#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Where the piano's answers go: the notes to the MIDI output, the looks of
// the on-screen keys to the window. Nothing comes back.
class PianoOutput {
public:
    virtual ~PianoOutput() = default;

    virtual void noteOn(int note, int velocity) = 0;
    // offPatch is the patch whose note-off form ends the note (0 to 5 let the
    // pianos ring on); -1 asks for a plain note-off on any patch.
    virtual void noteOff(int note, int offPatch) = 0;
    // Key `key` (0..40) shows pressed or released; a key struck by a note
    // that sounds also takes the keyboard focus.
    virtual void showKey(int key, bool pressed, bool struck) = 0;
};

// Who plays a key. Each source holds an id (a key code, a key index, a MIDI
// channel and note) or does not: it never holds one id twice.
enum class PianoSource : std::uint8_t { Keys, Mouse, MidiKeyboard, Replay, Network, Take };

// One press, with everything its note needs as values.
struct PianoPress {
    PianoSource source = PianoSource::Keys;
    int id = 0;
    // The on-screen key the press is for (-1: none), and whether it shows pressed.
    int key = -1;
    bool shown = false;
    // The note it sounds; none for a press that sounds nothing here (sent to
    // a play server, a key without a note, a take's key that only lights).
    std::optional<int> note;
    int velocity = 127;
    int offPatch = -1;
    // A note that sounds already is struck again (its note-off, then its
    // note-on), as a synthesizer does, instead of being joined silently; and
    // a press of an id the source holds already strikes it again rather than
    // being taken for a repeat.
    bool strikeAgain = false;
};

// The one owner of what is held on the piano: which sources hold which keys,
// which notes sound, and in which form each will end. Every press and release
// is answered on the output with the MIDI to send and the keys to show, so
// that every note-on gets exactly one note-off, whatever overlaps, and no key
// stays lit once nothing holds it.
class PianoModel {
public:
    static constexpr int keyCount = 41;

    struct Hold {
        PianoSource source;
        int id;
        int key;
        bool shown;
        std::optional<int> note;
    };

    explicit PianoModel(PianoOutput& output);

    // False when the source holds this id already and the press does not
    // strike again: a repeat, which changes nothing.
    bool press(const PianoPress& press);
    // Ends what the source's press of id holds and answers with its note-off
    // (when no other hold keeps the note sounding) and its key's release
    // (when no other hold keeps it lit); nothing when the id is not held.
    std::optional<Hold> release(PianoSource source, int id);
    // A release whose press held nothing: the key shows released and the
    // note-off goes out, unless another hold keeps them (it must not cut a
    // note someone else plays).
    void strayRelease(int key, int note, int offPatch);

    // Ends every hold of one source, or of all.
    void releaseSource(PianoSource source);
    void releaseAll();

    bool lit(int key) const;
    bool sounds(int note) const;
    // True while the source holds a press shown on key.
    bool heldBy(PianoSource source, int key) const;
    // The ids the source holds, oldest first.
    std::vector<int> idsOf(PianoSource source) const;
    // The note that a hold shown on key sounds, if one does.
    std::optional<int> noteOfKey(int key) const;
    const std::vector<Hold>& holds() const { return holds_; }

private:
    struct Voice {
        int note;
        int holds;
        int offPatch;
    };
    static bool valid(int key) { return key >= 0 && key < keyCount; }
    Voice* voice(int note);
    Hold endHold(std::vector<Hold>::iterator it);

    PianoOutput& output_;
    std::vector<Hold> holds_;
    std::vector<Voice> voices_;
    std::array<int, keyCount> lit_{};
};
