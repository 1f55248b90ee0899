#include "platform/synth/FileAudioWriter.h"

#include <fluidsynth.h>

void FileAudioWriter::RendererDeleter::operator()(_fluid_file_renderer_t* r) const { delete_fluid_file_renderer(r); }

FileAudioWriter::FileAudioWriter(_fluid_synth_t* synth, int periodSize, double sampleRate, Apply apply)
    : synth_(synth), periodSize_(periodSize), sampleRate_(sampleRate), apply_(std::move(apply))
{
}

FileAudioWriter::~FileAudioWriter()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

bool FileAudioWriter::start(Clock::time_point fileStart)
{
    renderer_.reset(new_fluid_file_renderer(synth_));
    if (!renderer_ || periodSize_ <= 0 || sampleRate_ <= 0)
        return false;
    start_ = fileStart;
    thread_ = std::thread([this] { run(); });
    return true;
}

void FileAudioWriter::setReady()
{
    {
        std::lock_guard lock(mutex_);
        ready_ = true;
    }
    wake_.notify_all();
}

void FileAudioWriter::post(std::uint32_t message, Clock::time_point at)
{
    std::lock_guard lock(mutex_);
    queue_.emplace_back(at, message);
}

FileAudioWriter::Clock::time_point FileAudioWriter::timeOf(std::int64_t frame) const
{
    return start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(frame / sampleRate_));
}

void FileAudioWriter::run()
{
    std::int64_t written = 0;
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stop_ || ready_; });
    while (!stop_) {
        // Every block whose time has come, each after the messages that
        // arrived before its end.
        while (!stop_ && timeOf(written + periodSize_) <= Clock::now()) {
            const auto end = timeOf(written + periodSize_);
            while (!queue_.empty() && queue_.front().first < end) {
                const std::uint32_t message = queue_.front().second;
                queue_.pop_front();
                lock.unlock();
                apply_(message);
                lock.lock();
            }
            lock.unlock();
            const bool ok = fluid_file_renderer_process_block(renderer_.get()) == FLUID_OK;
            lock.lock();
            if (!ok)
                return;  // the disk is full or the file went away: stop writing
            written += periodSize_;
        }
        wake_.wait_until(lock, timeOf(written + periodSize_), [this] { return stop_; });
    }
}
