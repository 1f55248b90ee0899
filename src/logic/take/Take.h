#pragma once

#include "logic/base/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One message of a take: when it went out, in milliseconds from the take's
// start, and the packed short message.
struct TakeEvent {
    std::uint32_t ms = 0;
    std::uint32_t message = 0;
    bool operator==(const TakeEvent&) const = default;
};

// What the player really heard while Record was on: every message the window
// sent to its output, in order, stamped to the millisecond. Recording only
// appends, so memory grows with what is played and never with time alone.
//
// A recording session runs from Record on to Record off; a new session goes
// on after the last message of the take, as the event log goes on after its
// last line. Each session also writes a journal (header line, then one line
// a message) that is handed out in pieces to be appended to a file, so a
// killed program loses only what was not handed out yet.
class Take {
public:
    explicit Take(const Clock& clock);

    void start();
    // Ends the session; notes and the sustain pedal still on are released,
    // so the take never leaves a note hanging.
    void stop();
    bool recording() const { return recording_; }

    // Appends the message at the clock's present time, while recording.
    void add(std::uint32_t message);

    // Replaces the whole take (Clear, Load); a running session starts afresh.
    void replace(std::vector<TakeEvent> events);
    const std::vector<TakeEvent>& events() const { return events_; }
    bool empty() const { return events_.empty(); }

    // The journal lines written since the last call; empty when none.
    std::string takeJournal();
    // Notes in the journal how long the session has lasted, so a note held
    // when the program is killed keeps its length up to then.
    void markTime();

    // The take as a Standard MIDI File of format 0 in millisecond ticks.
    std::string toMidiFile() const;

    // A Standard MIDI File as a take: its channel messages, in milliseconds.
    // Nothing, with the reason, when the file is not one.
    static std::optional<std::vector<TakeEvent>> fromMidiFile(std::string_view file, std::string* reason = nullptr);

    // The take as it stood when a session was cut off: the saved take's
    // first messages (as many as the journal's header says it had) followed
    // by every whole line of the journal.
    static std::vector<TakeEvent> recover(std::optional<std::string_view> savedFile, std::string_view journal);

    static constexpr std::string_view journalHeader = "velorin take";

private:
    std::uint32_t stamp() const;
    // The note-offs and pedal releases that end what events leaves on.
    static std::vector<std::uint32_t> releases(const std::vector<TakeEvent>& events);
    void journal(const TakeEvent& e);
    void beginSession();

    const Clock& clock_;
    bool recording_ = false;
    Clock::Time sessionStart_{};
    std::uint32_t sessionOffset_ = 0;
    std::vector<TakeEvent> events_;
    std::string pendingJournal_;
};
