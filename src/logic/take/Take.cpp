#include "logic/take/Take.h"

#include "logic/take/LeftOn.h"

#include "logic/midi/MidiMessages.h"
#include "logic/midi/StandardMidiFile.h"
#include "logic/midi/StandardMidiFileReader.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>

namespace {
constexpr std::uint32_t maxMs = 0xFFFFFFF0u;

std::optional<std::uint32_t> number(std::string_view text, int base)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

bool isChannelMessage(std::uint32_t message)
{
    const std::uint32_t status = message & 0xFF;
    if (status < 0x80 || status >= 0xF0 || (message >> 24) != 0)
        return false;
    if (((message >> 8) & 0x80) || ((message >> 16) & 0x80))
        return false;
    return MidiMessages::byteCount(message) == 2 ? (message >> 16) == 0 : true;
}
}  // namespace

Take::Take(const Clock& clock) : clock_(clock) {}

std::uint32_t Take::stamp() const
{
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now() - sessionStart_).count();
    const std::int64_t ms = static_cast<std::int64_t>(sessionOffset_) + std::max<std::int64_t>(since, 0);
    return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, maxMs));
}

void Take::beginSession()
{
    sessionStart_ = clock_.now();
    sessionOffset_ = events_.empty() ? 0 : events_.back().ms;
    pendingJournal_ += std::string(journalHeader) + " " + std::to_string(events_.size()) + "\n";
}

void Take::start()
{
    if (recording_)
        return;
    recording_ = true;
    beginSession();
}

std::vector<std::uint32_t> Take::releases(const std::vector<TakeEvent>& events)
{
    LeftOn left;
    for (const TakeEvent& e : events)
        left.see(e.message);
    return left.releases();
}

void Take::stop()
{
    if (!recording_)
        return;
    for (const std::uint32_t m : releases(events_))
        add(m);
    recording_ = false;
}

void Take::markTime()
{
    if (recording_)
        pendingJournal_ += std::to_string(stamp()) + "\n";
}

void Take::add(std::uint32_t message)
{
    if (!recording_)
        return;
    const TakeEvent e{stamp(), message};
    events_.push_back(e);
    journal(e);
}

void Take::journal(const TakeEvent& e)
{
    // "ms hex": short, and a line cut off by a crash is easy to tell.
    std::array<char, 32> line{};
    char* p = std::to_chars(line.data(), line.data() + 12, e.ms).ptr;
    *p++ = ' ';
    p = std::to_chars(p, p + 8, e.message, 16).ptr;
    *p++ = '\n';
    pendingJournal_.append(line.data(), p);
}

void Take::replace(std::vector<TakeEvent> events)
{
    events_ = std::move(events);
    if (recording_)
        beginSession();
}

std::string Take::takeJournal()
{
    std::string out;
    out.swap(pendingJournal_);
    return out;
}

std::string Take::toMidiFile() const
{
    std::vector<StandardMidiFile::Event> events;
    events.reserve(events_.size());
    for (const TakeEvent& e : events_) {
        StandardMidiFile::Event out;
        out.tick = e.ms;
        const int count = MidiMessages::byteCount(e.message);
        for (int i = 0; i < count; ++i)
            out.bytes.push_back(static_cast<std::uint8_t>(e.message >> (8 * i)));
        events.push_back(std::move(out));
    }
    return StandardMidiFile::formatZero(std::move(events));
}

std::optional<std::vector<TakeEvent>> Take::fromMidiFile(std::string_view file, std::string* reason)
{
    auto result = StandardMidiFile::read(file);
    if (!result.ok) {
        if (reason)
            *reason = result.error;
        return std::nullopt;
    }
    std::vector<TakeEvent> events;
    events.reserve(result.contents.messages.size());
    for (const auto& m : result.contents.messages) {
        const std::int64_t ms = (m.microseconds + 500) / 1000;
        events.push_back({static_cast<std::uint32_t>(std::clamp<std::int64_t>(ms, 0, maxMs)), m.message});
    }
    return events;
}

std::vector<TakeEvent> Take::recover(std::optional<std::string_view> savedFile, std::string_view journal)
{
    std::vector<TakeEvent> events;
    std::size_t keep = 0;
    std::uint32_t lastMark = 0;
    bool headerSeen = false;
    std::size_t start = 0;
    while (start < journal.size()) {
        const std::size_t end = journal.find('\n', start);
        if (end == std::string_view::npos)
            break;  // the last line was cut off
        const std::string_view line = journal.substr(start, end - start);
        start = end + 1;
        // A header starts the journal, and again each time the take was
        // replaced while recording: what came before it no longer counts.
        const std::string_view head = journalHeader;
        if (line.size() > head.size() + 1 && line.substr(0, head.size()) == head && line[head.size()] == ' ') {
            const auto count = number(line.substr(head.size() + 1), 10);
            if (!count)
                return {};
            keep = *count;
            headerSeen = true;
            events.clear();
            lastMark = 0;
            continue;
        }
        if (!headerSeen)
            return {};
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) {
            if (const auto mark = number(line, 10))
                lastMark = std::max(lastMark, *mark);
            continue;
        }
        const auto ms = number(line.substr(0, space), 10);
        const auto message = number(line.substr(space + 1), 16);
        if (!ms || !message || !isChannelMessage(*message))
            continue;
        if (!events.empty() && *ms < events.back().ms)
            continue;
        events.push_back({*ms, *message});
    }
    if (!headerSeen)
        return {};
    std::vector<TakeEvent> saved;
    if (savedFile && keep > 0) {
        if (auto read = fromMidiFile(*savedFile))
            saved = std::move(*read);
    }
    saved.resize(std::min(saved.size(), keep));
    if (!saved.empty() && !events.empty() && events.front().ms < saved.back().ms)
        return saved;  // a journal that does not follow its take is not trusted
    saved.insert(saved.end(), events.begin(), events.end());
    // What was still held when the program ended is released at the last
    // moment the journal knew of.
    const std::uint32_t end = std::max(lastMark, saved.empty() ? 0u : saved.back().ms);
    for (const std::uint32_t m : releases(saved))
        saved.push_back({end, m});
    return saved;
}
