// Writes the seed files of the fuzz targets with the program's own writers:
// recordings made by Recorder, settings, colour and shortcut files as the
// dialogs save them, and the messages of shared play.
//   build-fuzz/fuzz_make_corpus fuzz/corpus data/darvel.dll
#include "logic/base/Files.h"
#include "support/ManualClock.h"
#include "logic/colour/ColourFiles.h"
#include "logic/colour/ColourModel.h"
#include "logic/settings/SettingsFile.h"
#include "logic/menus/ShortcutFile.h"
#include "logic/net/WireFormat.h"
#include "logic/recording/EventLog.h"
#include "logic/recording/Recorder.h"
#include "logic/take/Take.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {
fs::path root;

void seed(const std::string& target, const std::string& name, const std::string& bytes)
{
    fs::create_directories(root / target);
    std::ofstream(root / target / name, std::ios::binary) << bytes;
}

// Just enough of the file service for the recorder: it only appends.
class MemoryFiles : public Files {
public:
    std::map<std::string, std::string> files;
    std::optional<std::string> read(const std::string& path) const override
    {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional(it->second);
    }
    bool fileExists(const std::string& path) const override { return files.count(path) != 0; }
    bool writeAtomically(const std::string& path, std::string_view bytes) override
    {
        files[path] = bytes;
        return true;
    }
    bool append(const std::string& path, std::string_view bytes) override
    {
        files[path] += bytes;
        return true;
    }
    bool remove(const std::string& path) override { return files.erase(path) != 0; }
    bool makeFolder(const std::string&) override { return true; }
};

// A recording of (key, held ms, silent ms after) as Recorder writes it.
std::string recording(const std::vector<std::tuple<int, int, int>>& played)
{
    ManualClock clock;
    MemoryFiles files;
    Recorder recorder(clock, files, "piano.ini", nullptr);
    for (const auto& [key, held, silent] : played) {
        recorder.pressHook(key);
        clock.advance(std::chrono::milliseconds(held));
        recorder.releaseHook(key);
        clock.advance(std::chrono::milliseconds(silent));
    }
    return files.files["piano.ini"];
}

void eventLogs()
{
    seed("event_log", "scale.mus", recording({{0, 250, 20}, {2, 240, 30}, {4, 260, 10}, {5, 250, 0}, {7, 500, 0}}));
    seed("event_log", "chords.mus", recording({{12, 1000, 1500}, {16, 30, 5}, {19, 30, 5}, {40, 2000, 0}}));
    seed("event_log", "single.mus", recording({{20, 120, 0}}));
    // Lines as earlier versions wrote them: fractions and large counts.
    seed("event_log", "written.mus",
         EventLog::noteLine(3, 12.5) + EventLog::restLine(0.25) + EventLog::noteLine(-1, 0) +
             EventLog::restLine(1e20) + EventLog::noteLine(32767, 4));
}

void settings()
{
    seed("settings_file", "shipped.ini", SettingsFile::serialize({"0", "60", "1", "0", "100", "0"}));
    seed("settings_file", "edited.ini", SettingsFile::serialize({"9", "48", "2.5", "-10", "300", "150"}));
    seed("settings_file", "signs.ini", SettingsFile::serialize({"+1", "-0", ".5", "32767", "-32768", "7."}));
}

void instrumentNames(const fs::path& shipped)
{
    std::ifstream in(shipped, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    seed("instrument_names", "darvel.dll", text);
}

void colours()
{
    seed("skin_file", "grey.ini", ColourFiles::serializeSkin(color::packRGB(192, 192, 192), color::packRGB(128, 0, 64)));
    seed("skin_file", "desktop.ini", ColourFiles::serializeSkin(color::systemWindowColour, 0xFFFFFF));

    ColourFiles::UserColours empty{};
    seed("user_colours", "empty.cps", ColourFiles::serializeUserColours(empty));
    ColourFiles::UserColours some{};
    for (std::size_t i = 1; i < some.size(); i += 3)
        some[i] = color::packRGB(static_cast<int>(i), 255 - static_cast<int>(i), static_cast<int>(i * 7 % 256));
    some[9] = color::systemWindowColour;
    seed("user_colours", "some.cps", ColourFiles::serializeUserColours(some));
}

void shortcuts()
{
    seed("shortcut_file", "menus.mnu",
         ShortcutFile::serialize({{true, "mnuFileSav", "F1"},
                                  {true, "mnufileload", "F2|Ctrl+O"},
                                  {true, "mnufile", ""},
                                  {false, "4", "Alt+Ctrl+Shift+Numpad3"},
                                  {true, "mnuRecord", "F8"}}));
    seed("shortcut_file", "empty.mnu", ShortcutFile::serialize({}));
}

void sharedPlay()
{
    const std::vector<std::pair<std::string, std::string>> messages = {
        {"key", WireFormat::keyPress(12)},
        {"negative-key", WireFormat::keyPress(-3)},
        {"join", WireFormat::joinNotice("127.0.0.1")},
        {"chat", WireFormat::chatLine("studio-pc", "h\xc3\xa9llo, shall we play?")},
    };
    std::string all;
    for (const auto& [name, bytes] : messages) {
        seed("chat_arrival", name, bytes);
        seed("serv_relay", name, bytes);
        seed("web_door", name, bytes);
        all += bytes + '\0';
    }
    seed("chat_arrival", "session", all);
    seed("web_door", "session", all);
    // What a page sends, and the paths it joins by.
    seed("web_door", "page", std::string("0\0" "4\0" "7\0" ":web: hi\0" "/\0" "/r/band-1\0" "/r/../x\0" "5"));
}

void commandLines()
{
    const auto args = [](const std::vector<std::string>& a) {
        std::string joined;
        for (const auto& s : a)
            joined += (joined.empty() ? "" : std::string(1, '\0')) + s;
        return joined;
    };
    seed("command_line", "file", args({"tune.mus"}));
    seed("command_line", "quoted", args({"\"/home/pat/my", "tunes/evening.mus\""}));
    seed("command_line", "other", args({"--help", "notes.txt"}));
}
// A take as the window keeps it, its journal, and MIDI files as other
// programs write them: two tracks with running status, a tempo change, a
// system-exclusive message and a text event.
void midiFiles()
{
    ManualClock clock;
    Take take(clock);
    take.start();
    for (const std::uint32_t m : {0x403C90u, 0x504090u, 0x7F40B0u}) {
        take.add(m);
        clock.advance(std::chrono::milliseconds(120));
    }
    take.add(0x603E90u);
    clock.advance(std::chrono::milliseconds(300));
    take.add(0x0040B0u);
    take.stop();
    seed("midi_file", "take.mid", take.toMidiFile());
    seed("midi_file", "take.journal", take.takeJournal());
    const std::string header("MThd\0\0\0\6\0\1\0\2\x01\xE0", 14);
    const std::string tempoTrack("\0\xFF\x51\x03\x07\xA1\x20\x83\x60\xFF\x51\x03\x0F\x42\x40\0\xFF\x2F\0", 19);
    const std::string notes("\0\xC0\x13\0\x90\x3C\x64\0\x40\x50\x81\x70\x3C\0\0\xF0\x03\x7E\x7F\xF7"
                            "\x10\xFF\x01\x02hi\x83\x60\x90\x40\0\0\xFF\x2F\0", 35);
    const auto chunk = [](const std::string& body) {
        std::string c = "MTrk";
        for (int shift = 24; shift >= 0; shift -= 8)
            c += static_cast<char>((body.size() >> shift) & 0xFF);
        return c + body;
    };
    seed("midi_file", "two_tracks.mid", header + chunk(tempoTrack) + chunk(notes));
}
}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::cerr << "usage: fuzz_make_corpus CORPUS_FOLDER INSTRUMENT_NAMES_FILE\n";
        return 2;
    }
    root = argv[1];
    eventLogs();
    settings();
    instrumentNames(argv[2]);
    colours();
    shortcuts();
    sharedPlay();
    commandLines();
    midiFiles();
    return 0;
}
