#include "platform/FluidSynthOut.h"

#include "platform/Logging.h"
#include "platform/SynthLibrary.h"

#include <QFileInfo>
#include <QMetaObject>

namespace {
constexpr int errorNoDevice = 68;  // the code a missing MIDI device reports
constexpr std::size_t maxPending = 4096;

void logFromLibrary(void*, int level, const char* text)
{
    switch (level) {
    case VELORIN_SYNTH_WARNING:
        qCWarning(lcMidi, "%s", text);
        break;
    case VELORIN_SYNTH_INFO:
        qCInfo(lcMidi, "%s", text);
        break;
    default:
        qCDebug(lcMidi, "%s", text);
        break;
    }
}

bool isFile(const std::string& path)
{
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

std::int64_t nanoseconds(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}
}  // namespace

void FluidSynthOut::SynthCloser::operator()(VelorinSynth* synth) const
{
    api->close(synth);
}

FluidSynthOut::FluidSynthOut(Options options) : options_(std::move(options))
{
    // The JACK driver would otherwise try to start a JACK server of its own.
    qputenv("JACK_NO_START_SERVER", "1");
}

FluidSynthOut::~FluidSynthOut()
{
    close();
}

void FluidSynthOut::setLateFailureHandler(std::function<void()> handler)
{
    std::lock_guard lock(mutex_);
    lateFailure_ = std::move(handler);
}

void FluidSynthOut::setAudioOpenedHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard lock(mutex_);
    audioOpened_ = std::move(handler);
}

int FluidSynthOut::open(int)
{
    close();
    // What can be known without the library is known at once.
    if (!isFile(options_.soundFont)) {
        qCWarning(lcMidi) << "no SoundFont to load:" << options_.soundFont.c_str();
        return errorNoDevice;
    }
    if (!isFile(options_.library)) {
        qCWarning(lcMidi) << "the synthesizer's library is not there:" << options_.library.c_str();
        return errorNoDevice;
    }
    {
        std::lock_guard lock(mutex_);
        openedAt_ = Clock::now();
        state_ = options_.held ? State::Held : State::Loading;
    }
    if (!options_.held)
        startLoading();
    return 0;
}

void FluidSynthOut::release()
{
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Held)
            return;
        state_ = State::Loading;
    }
    startLoading();
}

void FluidSynthOut::startLoading()
{
    loader_ = std::thread([this] { load(); });
}

void FluidSynthOut::load()
{
    std::string why;
    auto library = SynthLibrary::open(options_.library, why);
    if (!library)
        return fail("the synthesizer's library " + options_.library + ": " + why);
    const VelorinSynthApi& api = library->api();
    const VelorinSynthOptions o{sizeof(VelorinSynthOptions),
                                options_.soundFont.c_str(),
                                options_.audioDriver.c_str(),
                                options_.audioFile.c_str(),
                                options_.periodSize,
                                options_.periods,
                                nanoseconds(openedAt_),
                                &logFromLibrary,
                                nullptr};
    VelorinSynth* made = api.open(&o);
    if (!made)
        return fail("no audio output opened");
    std::function<void(const std::string&)> opened;
    {
        std::lock_guard lock(mutex_);
        library_ = std::move(library);
        synth_ = std::unique_ptr<VelorinSynth, SynthCloser>(made, SynthCloser{&api});
        driverName_ = api.driverName(made);
        opened = audioOpened_;
        if (stopping_)
            return;
    }
    if (opened)
        opened(driverName_);
    // An output that keeps time holds what it is given until the SoundFont is in.
    const bool keepsTime = api.keepsTime(made) != 0;
    if (keepsTime)
        catchUp(true);
    if (api.loadSoundFont(made) == 0)
        return fail("the SoundFont did not load: " + options_.soundFont);
    qCInfo(lcMidi) << "SoundFont loaded:" << options_.soundFont.c_str();
    if (!keepsTime)
        catchUp(false);
}

bool FluidSynthOut::catchUp(bool keepsTime)
{
    std::unique_lock lock(mutex_);
    const VelorinSynthApi& api = library_->api();
    if (keepsTime) {
        // The output places each message at its own time.
        if (!pending_.empty())
            qCInfo(lcMidi, "%zu messages sent before the synthesizer was ready play at their times", pending_.size());
        for (const auto& [at, message] : pending_)
            api.send(synth_.get(), message, nanoseconds(at));
        pending_.clear();
        state_ = State::Playing;
        return true;
    }
    if (!pending_.empty()) {
        // In the rhythm they were played, all equally late; what comes
        // meanwhile joins the line, so the order holds.
        state_ = State::CatchingUp;
        const auto shift = Clock::now() - pending_.front().first;
        qCInfo(lcMidi, "%zu messages sent before the synthesizer was ready play %lld ms late", pending_.size(),
               static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(shift).count()));
        while (!pending_.empty()) {
            const auto due = pending_.front().first + shift;
            if (Clock::now() < due) {
                if (wake_.wait_until(lock, due, [this] { return stopping_; }))
                    return false;
                continue;
            }
            const std::uint32_t message = pending_.front().second;
            pending_.pop_front();
            api.send(synth_.get(), message, nanoseconds(Clock::now()));
        }
    }
    state_ = State::Playing;
    return true;
}

void FluidSynthOut::fail(const std::string& why)
{
    std::function<void()> report;
    {
        std::lock_guard lock(mutex_);
        state_ = State::Failed;
        pending_.clear();
        if (!stopping_)
            report = lateFailure_;
    }
    qCWarning(lcMidi, "the built-in synthesizer does not play: %s", why.c_str());
    if (report)
        QMetaObject::invokeMethod(&opener_, std::move(report), Qt::QueuedConnection);
}

bool FluidSynthOut::waitUntilLoaded()
{
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::Held || state_ == State::Closed)
            return false;
    }
    if (loader_.joinable())
        loader_.join();
    std::lock_guard lock(mutex_);
    return state_ == State::Playing;
}

std::string FluidSynthOut::audioDriverInUse() const
{
    std::lock_guard lock(mutex_);
    return driverName_;
}

int FluidSynthOut::close()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (loader_.joinable())
        loader_.join();
    std::lock_guard lock(mutex_);
    state_ = State::Closed;
    pending_.clear();
    synth_.reset();
    library_.reset();
    driverName_.clear();
    stopping_ = false;
    return 0;
}

void FluidSynthOut::shortMsg(std::uint32_t message)
{
    std::lock_guard lock(mutex_);
    switch (state_) {
    case State::Closed:
    case State::Failed:
        return;
    case State::Playing:
        library_->api().send(synth_.get(), message, nanoseconds(Clock::now()));
        return;
    default:
        if (pending_.size() < maxPending)
            pending_.emplace_back(Clock::now(), message);
        return;
    }
}
