#pragma once

#include "logic/midi/SoundBuffer.h"
#include "platform/synth/SynthLog.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// One playback stream on the desktop's sound server, spoken to in its own
// protocol (PulseAudio, or PipeWire's server for it). The server asks for
// sound as it needs it and the synthesizer renders just that, on the
// server's own schedule, at the sink's rate, so nothing resamples or waits.
//
// The buffer starts small for a quick key. Each underrun (the server found
// the buffer empty: a gap in the sound) makes it larger, step by step up to a
// bound, and a steady stretch smaller again (SoundBuffer), on the same
// stream: nothing is closed or opened again, so an underrun costs one gap and
// never a second one while a stream is rebuilt.
class PulseOutput {
public:
    using Render = std::function<void(float* interleavedStereo, int frames)>;

    // Null when no sound server answers.
    static std::unique_ptr<PulseOutput> connect(SynthLog log);
    ~PulseOutput();

    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // The rate of the sink the stream goes to ($PULSE_SINK, else the default).
    int sinkRate() const { return rate_; }

    // Starts the stream with periods x periodFrames of buffer; false when the
    // server refuses it. render runs on the server's thread.
    bool start(int periodFrames, int periods, Render render);

    // The buffer grows to at most this many frames.
    static int maxBufferFrames(int startFrames, int rate);

private:
    explicit PulseOutput(SynthLog log);
    bool connectContext();
    void queryRate();
    void write(std::size_t bytes);
    void underflow();
    void setBuffer();
    static void contextState(pa_context* c, void* self);
    static void streamState(pa_stream* s, void* self);
    static void writeRequest(pa_stream* s, std::size_t bytes, void* self);
    static void underflowed(pa_stream* s, void* self);

    SynthLog log_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    int rate_ = 48000;
    Render render_;
    std::uint32_t frameBytes_ = 2 * sizeof(float);
    std::uint32_t minreq_ = 0;
    std::optional<SoundBuffer> buffer_;  // in frames
    int underruns_ = 0;
    bool realtimeTried_ = false;
};
