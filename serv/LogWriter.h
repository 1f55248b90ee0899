#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// The server's log: one line at a time, each with the time in front, written
// to a descriptor by a thread of its own. The server never waits for it, so a
// log that nobody reads (a full pipe, a terminal stopped with Ctrl+S) never
// stops the relay. Lines wait in a bounded queue; past it they are dropped,
// and the count of the dropped follows once the log moves again.
class LogWriter {
public:
    explicit LogWriter(int fd, std::size_t maxWaiting = 64 * 1024);
    // Gives what waits a moment to be written, then leaves it.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void write(std::string_view line);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;  // the thread keeps it alive if it cannot finish
};
