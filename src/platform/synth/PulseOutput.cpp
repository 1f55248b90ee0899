#include "platform/synth/PulseOutput.h"

#include "platform/synth/Realtime.h"
#include "platform/synth/SynthLibraryApi.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
// The sound thread's real-time priority: above the desktop's own work, below
// the sound server's threads (PipeWire and PulseAudio ask for more).
constexpr int realtimePriority = 10;

std::string ms(std::uint32_t frames, int rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", frames * 1000.0 / rate);
    return text;
}

// Waits, with the loop locked, for an operation's callbacks to have run.
void finish(pa_threaded_mainloop* loop, pa_operation* op)
{
    if (!op)
        return;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(loop);
    pa_operation_unref(op);
}

struct RateQuery {
    pa_threaded_mainloop* loop;
    std::string sink;
    int rate = 0;
};
}  // namespace

PulseOutput::PulseOutput(SynthLog log) : log_(std::move(log)) {}

PulseOutput::~PulseOutput()
{
    if (loop_)
        pa_threaded_mainloop_stop(loop_);
    if (stream_) {
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_)
        pa_threaded_mainloop_free(loop_);
}

std::unique_ptr<PulseOutput> PulseOutput::connect(SynthLog log)
{
    std::unique_ptr<PulseOutput> out(new PulseOutput(std::move(log)));
    if (!out->connectContext())
        return nullptr;
    out->queryRate();
    return out;
}

bool PulseOutput::connectContext()
{
    loop_ = pa_threaded_mainloop_new();
    if (!loop_)
        return false;
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Velorin");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "velorin");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "velorin");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Velorin", props);
    pa_proplist_free(props);
    if (!context_)
        return false;
    pa_context_set_state_callback(context_, &PulseOutput::contextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    pa_threaded_mainloop_lock(loop_);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_unlock(loop_);
        return false;
    }
    pa_context_state_t state;
    while ((state = pa_context_get_state(context_)) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state))
        pa_threaded_mainloop_wait(loop_);
    pa_threaded_mainloop_unlock(loop_);
    return state == PA_CONTEXT_READY;
}

void PulseOutput::queryRate()
{
    RateQuery query{loop_, {}, 0};
    if (const char* chosen = std::getenv("PULSE_SINK"))
        query.sink = chosen;
    pa_threaded_mainloop_lock(loop_);
    if (query.sink.empty()) {
        finish(loop_, pa_context_get_server_info(
                          context_,
                          [](pa_context*, const pa_server_info* info, void* data) {
                              auto* q = static_cast<RateQuery*>(data);
                              if (info && info->default_sink_name)
                                  q->sink = info->default_sink_name;
                              if (info)
                                  q->rate = static_cast<int>(info->sample_spec.rate);
                              pa_threaded_mainloop_signal(q->loop, 0);
                          },
                          &query));
    }
    if (!query.sink.empty()) {
        finish(loop_, pa_context_get_sink_info_by_name(
                          context_, query.sink.c_str(),
                          [](pa_context*, const pa_sink_info* info, int, void* data) {
                              auto* q = static_cast<RateQuery*>(data);
                              if (info)
                                  q->rate = static_cast<int>(info->sample_spec.rate);
                              pa_threaded_mainloop_signal(q->loop, 0);
                          },
                          &query));
    }
    pa_threaded_mainloop_unlock(loop_);
    if (query.rate >= 8000 && query.rate <= 192000)
        rate_ = query.rate;
}

int PulseOutput::maxBufferFrames(int startFrames, int rate)
{
    // Four times the start, and no more than 20 ms unless it starts above that.
    return std::max(startFrames, std::min(startFrames * 4, rate / 50));
}

bool PulseOutput::start(int periodFrames, int periods, Render render)
{
    render_ = std::move(render);
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rate_), 2};
    minreq_ = static_cast<std::uint32_t>(periodFrames) * frameBytes_;
    const auto startFrames = static_cast<std::uint32_t>(periodFrames * periods);
    const auto maxFrames = static_cast<std::uint32_t>(maxBufferFrames(periodFrames * periods, rate_));
    buffer_.emplace(startFrames, static_cast<std::uint32_t>(periodFrames), maxFrames, SoundBuffer::Clock::now());
    const std::uint32_t tlength = startFrames * frameBytes_;
    pa_threaded_mainloop_lock(loop_);
    stream_ = pa_stream_new(context_, "Velorin", &format, nullptr);
    if (!stream_) {
        pa_threaded_mainloop_unlock(loop_);
        return false;
    }
    pa_stream_set_state_callback(stream_, &PulseOutput::streamState, this);
    pa_stream_set_write_callback(stream_, &PulseOutput::writeRequest, this);
    pa_stream_set_underflow_callback(stream_, &PulseOutput::underflowed, this);
    // tlength is the whole way to the speaker: the server sizes its own part
    // of it (ADJUST_LATENCY), and the stream starts once it is full.
    const pa_buffer_attr attr{static_cast<std::uint32_t>(-1), tlength, static_cast<std::uint32_t>(-1), minreq_,
                              static_cast<std::uint32_t>(-1)};
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                                      PA_STREAM_INTERPOLATE_TIMING);
    bool ok = pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) == 0;
    pa_stream_state_t state = PA_STREAM_UNCONNECTED;
    while (ok && (state = pa_stream_get_state(stream_)) != PA_STREAM_READY && PA_STREAM_IS_GOOD(state))
        pa_threaded_mainloop_wait(loop_);
    ok = ok && state == PA_STREAM_READY;
    std::uint32_t granted = tlength;
    if (ok) {
        if (const pa_buffer_attr* got = pa_stream_get_buffer_attr(stream_))
            granted = got->tlength;
    }
    pa_threaded_mainloop_unlock(loop_);
    if (ok) {
        log_(VELORIN_SYNTH_INFO, "sound server stream at " + std::to_string(rate_) + " Hz, buffer " +
                                     std::to_string(granted / frameBytes_) + " frames (" +
                                     ms(granted / frameBytes_, rate_) + "), growing to at most " +
                                     ms(maxFrames, rate_) + " after underruns");
    }
    return ok;
}

void PulseOutput::write(std::size_t bytes)
{
    if (!realtimeTried_) {
        realtimeTried_ = true;
        Realtime::raiseThisThread(realtimePriority, log_);
    }
    if (buffer_->playing(SoundBuffer::Clock::now())) {
        setBuffer();
        log_(VELORIN_SYNTH_INFO, "the sound ran steady: the buffer shrinks to " +
                                     std::to_string(buffer_->frames()) + " frames (" + ms(buffer_->frames(), rate_) +
                                     ")");
    }
    while (bytes >= frameBytes_) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data)
            return;
        const std::size_t frames = std::min(size, bytes) / frameBytes_;
        if (frames == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        render_(static_cast<float*>(data), static_cast<int>(frames));
        if (pa_stream_write(stream_, data, frames * frameBytes_, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= frames * frameBytes_;
    }
}

void PulseOutput::underflow()
{
    ++underruns_;
    if (!buffer_->underrun(SoundBuffer::Clock::now())) {
        log_(VELORIN_SYNTH_WARNING, "sound underrun " + std::to_string(underruns_) + " at the largest buffer, " +
                                        ms(buffer_->frames(), rate_));
        return;
    }
    setBuffer();
    log_(VELORIN_SYNTH_INFO, "sound underrun " + std::to_string(underruns_) + ": the buffer grows to " +
                                 std::to_string(buffer_->frames()) + " frames (" + ms(buffer_->frames(), rate_) + ")");
}

// On the server's thread, with the loop locked, as its callbacks are.
void PulseOutput::setBuffer()
{
    const pa_buffer_attr attr{static_cast<std::uint32_t>(-1), buffer_->frames() * frameBytes_,
                              static_cast<std::uint32_t>(-1), minreq_, static_cast<std::uint32_t>(-1)};
    if (pa_operation* op = pa_stream_set_buffer_attr(stream_, &attr, nullptr, nullptr))
        pa_operation_unref(op);
}

void PulseOutput::contextState(pa_context*, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::streamState(pa_stream*, void* self)
{
    pa_threaded_mainloop_signal(static_cast<PulseOutput*>(self)->loop_, 0);
}

void PulseOutput::writeRequest(pa_stream*, std::size_t bytes, void* self)
{
    static_cast<PulseOutput*>(self)->write(bytes);
}

void PulseOutput::underflowed(pa_stream*, void* self)
{
    static_cast<PulseOutput*>(self)->underflow();
}
