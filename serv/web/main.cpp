// serv-web: the web door of serv. serv starts it for --web and hands it one
// end of a socket pair to the relay; it serves the page and its players.
#include "Asio.h"
#include "DoorRules.h"
#include "LogWriter.h"
#include "PageFiles.h"
#include "RelayBridge.h"
#include "WebDoor.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {
constexpr const char* usage =
    "Usage: serv-web --bridge-fd N [--ready-fd N] [--control-fd N] [--port N] [--bind ADDRESS]\n"
    "                [--web-bind ADDRESS] [--web-origin ORIGIN]... [--web-max-clients N]\n"
    "                [--web-max-rooms N] [--web-max-per-address N] [--web-trusted-proxy ADDRESS]...\n"
    "                [--web-soundfont FILE] [--web-root FOLDER]\n"
    "The web door of serv; serv starts it for 'serv --web PORT'.\n";

bool number(const std::string& text, int low, int high, int& out)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int n = std::stoi(text);
    if (n < low || n > high)
        return false;
    out = n;
    return true;
}

std::string programFolder()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

std::string pageFolder(const std::string& given)
{
    if (!given.empty())
        return given;
    const std::filesystem::path programs = programFolder();
    std::error_code error;
    for (const auto& candidate : {programs / "web", programs / "../../share/velorin/web"})
        if (std::filesystem::is_regular_file(candidate / "index.html", error))
            return candidate.lexically_normal().string();
    return (programs / "web").string();
}
}  // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    DoorOptions options;
    int bridgeFd = -1, readyFd = -1, controlFd = -1, port = 0;
    std::string root, soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "serv-web: missing value after '%s'.\n%s", name.c_str(), usage);
            return 2;
        }
        const std::string value = args[++i];
        bool ok = true;
        if (name == "--bridge-fd")
            ok = number(value, 0, 1 << 20, bridgeFd);
        else if (name == "--ready-fd")
            ok = number(value, 0, 1 << 20, readyFd);
        else if (name == "--control-fd")
            ok = number(value, 0, 1 << 20, controlFd);
        else if (name == "--port")
            ok = number(value, 0, 65535, port);
        else if (name == "--bind" || name == "--web-bind")
            ok = value.empty() || DoorRules::canonicalAddress(value), options.address = value;
        else if (name == "--web-origin")
            options.origins.push_back(value);
        else if (name == "--web-max-clients")
            ok = number(value, 1, 100000, options.maxClients);
        else if (name == "--web-max-rooms")
            ok = number(value, 0, 100000, options.maxRooms);
        else if (name == "--web-max-per-address")
            ok = number(value, 1, 100000, options.maxPerAddress);
        else if (name == "--web-trusted-proxy") {
            const auto address = DoorRules::canonicalAddress(value);
            ok = address.has_value();
            if (ok)
                options.trustedProxies.push_back(*address);
        } else if (name == "--web-soundfont")
            soundFont = value;
        else if (name == "--web-root")
            root = value;
        else {
            std::fprintf(stderr, "serv: unknown option '%s'.\n%s", name.c_str(), usage);
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "serv: bad value for %s: %s\n", name.c_str(), value.c_str());
            return 2;
        }
    }
    options.port = static_cast<std::uint16_t>(port);

    // Every player is a descriptor: take all the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    // Started by serv, the door ends when serv closes its bridge: a hang-up
    // or a Ctrl+C of the terminal is serv's to take.
    if (bridgeFd >= 0) {
        std::signal(SIGINT, SIG_IGN);
        std::signal(SIGHUP, SIG_IGN);
    }

    // The relay's log, timed the same way; a log nobody reads never holds
    // the door.
    LogWriter log(STDOUT_FILENO);
    const auto say = [&log](std::string_view line) { log.write(line); };
    const std::string folder = pageFolder(root);
    PageFiles pages(folder, soundFont);
    if (!pages.hasPage())
        say("web door: no page in " + folder);

    asio::io_context io(1);
    WebDoor door(io, options, std::move(pages), say);
    const std::uint16_t listening = door.open();
    if (listening == 0) {
        std::fprintf(stderr, "serv: the web door cannot listen on port %d: %s\n", port, door.errorString().c_str());
        return 1;
    }
    say("web door on http://" + door.shownAddress() + ":" + std::to_string(listening) + "/");

    // SIGTERM (and Ctrl+C when run alone): every page gets a close frame.
    const auto end = [&door, &io] { door.close([&io] { io.stop(); }); };
    asio::signal_set stop(io, SIGTERM);
    if (bridgeFd < 0)
        stop.add(SIGINT);
    stop.async_wait([&end](beast::error_code error, int) {
        if (!error)
            end();
    });
    std::unique_ptr<RelayBridge> bridge;
    if (bridgeFd >= 0) {
        // The relay gone, the lobby is gone: the door goes too.
        bridge = std::make_unique<RelayBridge>(
            io, bridgeFd, controlFd, [&door](std::string_view bytes) { door.relayed(bytes); }, end);
        door.setBridge(bridge.get());
    }
    if (readyFd >= 0) {
        // serv learns the port, to start a door again on the same one.
        const std::string ready = std::to_string(listening) + "\n";
        [[maybe_unused]] const auto written = ::write(readyFd, ready.data(), ready.size());
        ::close(readyFd);
    }
    io.run();
    door.setBridge(nullptr);
    return 0;
}
