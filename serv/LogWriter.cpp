#include "LogWriter.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {
using namespace std::chrono_literals;

// How long the end of the program waits for the log to take what is left.
constexpr auto lastWait = 200ms;

// "2026-12-09T01:51:04.123Z ", in UTC so that logs from anywhere compare.
std::string timeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
    return text;
}

// False once the descriptor is gone for good (a closed pipe, a bad fd).
bool writeAll(int fd, const std::string& text)
{
    const char* at = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

struct LogWriter::Shared {
    int fd;
    std::size_t maxWaiting;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::string> lines;
    std::size_t waiting = 0;  // bytes in lines
    long dropped = 0;
    bool closing = false;
    bool done = false;

    void writeLines()
    {
        bool broken = false;
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            changed.wait(hold, [this] { return !lines.empty() || closing; });
            if (lines.empty() && dropped == 0)
                break;
            std::deque<std::string> taken;
            taken.swap(lines);
            if (dropped > 0) {
                taken.push_front(timeStamp() + "(" + std::to_string(dropped) +
                                 " log lines dropped: the log was not read)\n");
                dropped = 0;
            }
            waiting = 0;
            hold.unlock();
            // One write per line, so that a reader of the log sees whole
            // lines at once.
            for (const std::string& line : taken)
                if (!broken)
                    broken = !writeAll(fd, line);
            hold.lock();
        }
        done = true;
        changed.notify_all();
    }
};

LogWriter::LogWriter(int fd, std::size_t maxWaiting) : shared_(std::make_shared<Shared>())
{
    shared_->fd = fd;
    shared_->maxWaiting = maxWaiting;
    // Signals are for the server's loop: the writer runs with them blocked.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    std::thread([shared = shared_] { shared->writeLines(); }).detach();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

LogWriter::~LogWriter()
{
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->closing = true;
    shared_->changed.notify_all();
    // A writer stuck on a log nobody reads is left behind: the program ends
    // around it.
    shared_->changed.wait_for(hold, lastWait, [this] { return shared_->done; });
}

void LogWriter::write(std::string_view line)
{
    std::string text = timeStamp();
    text += line;
    text += '\n';
    const std::lock_guard<std::mutex> hold(shared_->lock);
    if (shared_->closing)
        return;
    if (shared_->waiting + text.size() > shared_->maxWaiting) {
        ++shared_->dropped;
        return;
    }
    shared_->waiting += text.size();
    shared_->lines.push_back(std::move(text));
    shared_->changed.notify_one();
}
