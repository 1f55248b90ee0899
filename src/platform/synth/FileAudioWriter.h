#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct _fluid_synth_t;
struct _fluid_file_renderer_t;

// Writes the synthesizer's sound to the file its settings name, in step with
// the wall clock: each message takes effect at the block its arrival time
// falls in, even when this thread was kept waiting and catches up later. So
// the file shows what was played when it was played, also on a busy machine
// (the synthesizer's own file driver squeezes time after such a wait).
class FileAudioWriter {
public:
    using Apply = std::function<void(std::uint32_t message)>;

    FileAudioWriter(_fluid_synth_t* synth, int periodSize, double sampleRate, Apply apply);
    // Stops writing and closes the file.
    ~FileAudioWriter();

    using Clock = std::chrono::steady_clock;

    // False when the file cannot be written. The file's first frame is at
    // fileStart, which may lie in the past: the file then catches up.
    bool start(Clock::time_point fileStart);
    // The message takes effect at time at (before the file's start: at once).
    void post(std::uint32_t message, Clock::time_point at);
    // Nothing is written until the synthesizer is ready (its SoundFont is
    // in); then the file catches up, each message still at its own time.
    void setReady();

private:
    struct RendererDeleter { void operator()(_fluid_file_renderer_t* r) const; };

    void run();
    Clock::time_point timeOf(std::int64_t frame) const;

    _fluid_synth_t* synth_;
    int periodSize_;
    double sampleRate_;
    Apply apply_;
    std::unique_ptr<_fluid_file_renderer_t, RendererDeleter> renderer_;
    Clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<Clock::time_point, std::uint32_t>> queue_;
    bool stop_ = false;
    bool ready_ = false;
    std::thread thread_;
};
