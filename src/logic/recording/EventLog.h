#pragma once

#include <optional>
#include <string>
#include <string_view>

// The event log: one line per event, each ended by CR LF. A note line is the
// key index, ": " and how many 10 ms counts the key was held ("12: 34"); a
// rest line is "S: " and the counts of silence before the next key ("S: 7").
namespace EventLog {

std::string noteLine(int index, double count);
std::string restLine(double count);

// One line of a log as replay reads it: split at every ": ".
struct Line {
    bool empty = true;              // nothing to do
    bool rest = false;              // tag "S"
    std::string tag;                // field 0 as read
    std::optional<int> index;       // field 0 as a key index, when it is one
    std::optional<std::string> count;  // field 1, when there is one
};

Line parse(std::string_view line);

// The wait of a line in milliseconds: count x 10 x times + tempo, rounded
// half to even. Nothing when count or times is not a number or the result
// does not fit 32 bits; a negative result is no wait.
std::optional<std::int64_t> waitMs(const std::optional<std::string>& count, std::string_view times, int tempo);

// True when at least one line of text is a note or a rest line with a number
// of counts: what a recording, or a sequence file saved from one, holds.
bool holdsLogLines(std::string_view text);

}  // namespace EventLog
