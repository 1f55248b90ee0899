// serv: the play server of Velorin's shared play.
#include "DoorProcess.h"
#include "LogWriter.h"
#include "PlayServer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {
constexpr const char* help =
    "Usage: serv [options]\n"
    "The play server of Velorin's shared play. Every message a player sends reaches every connected player, the "
    "sender included.\n"
    "\n"
    "Options:\n"
    "  -h, --help           Displays help on commandline options.\n"
    "  --port <N>           TCP port to listen on (default 9352; 0 picks a free one).\n"
    "  --bind <ADDRESS>     Address to listen on (default: all interfaces).\n"
    "  --max-clients <N>    Most players connected at once (default 1024, or fewer when\n"
    "                       the system allows fewer open files); more are turned away.\n"
    "  --max-rate <BYTES>   Bytes a second one player may send after a burst of 256 KiB\n"
    "                       (default 65536; 0: no bound). A player over it is read more\n"
    "                       slowly, and dropped after 10 seconds of it.\n"
    "  --web <N>            Also open the web door on TCP port N (0 picks a free one): the\n"
    "                       page that plays in a browser, and its players over WebSocket.\n"
    "                       Off unless asked.\n"
    "  --web-bind <ADDRESS>       Address of the web door (default: that of --bind).\n"
    "  --web-origin <ORIGIN>      A page origin allowed to join, such as\n"
    "                             https://piano.example.org; may be given again. Without\n"
    "                             it only pages of the door's own address join.\n"
    "  --web-max-clients <N>      Most browser players at once (default 256).\n"
    "  --web-max-rooms <N>        Most rooms at once besides the lobby (default 64).\n"
    "  --web-max-per-address <N>  Most browser players from one address (default 16).\n"
    "  --web-trusted-proxy <ADDRESS>  A reverse proxy (such as 127.0.0.1) whose\n"
    "                             X-Forwarded-For names the player; may be given again.\n"
    "  --web-soundfont <FILE>     The SoundFont the page plays with (default: Debian's\n"
    "                             TimGM6mb).\n"
    "\n"
    "SIGTERM and SIGINT end the server; SIGHUP, SIGUSR1 and SIGUSR2 are ignored (the log\n"
    "is standard output, so there is nothing to reopen). A web door that ends is started\n"
    "again; if it cannot be, serv ends with status 1. Usage errors exit with status 2.\n";

// Descriptors kept for the server itself (the standard three, the event
// loop, the listener, the spare) beside its clients, with room to spare.
constexpr rlim_t reservedFiles = 16;

std::atomic<PlayServer*> running{nullptr};
std::atomic<DoorProcess*> runningDoor{nullptr};

void onTermination(int)
{
    // Only async-signal-safe work here: stop() writes to the loop's eventfd,
    // ending() stores a flag.
    if (DoorProcess* door = runningDoor.load())
        door->ending();
    if (PlayServer* server = running.load())
        server->stop();
}

// While it lives, SIGTERM and SIGINT end the server's loop and so the
// program, through its normal exit. A hang-up (a closed terminal, a dropped
// ssh session) and the user signals are ignored: the log is standard output,
// with nothing to reopen, and a server run under nohup stays up.
class StopOnTermination {
public:
    StopOnTermination(PlayServer& server, DoorProcess& door)
    {
        for (int s : {SIGHUP, SIGUSR1, SIGUSR2})
            std::signal(s, SIG_IGN);
        runningDoor.store(&door);
        running.store(&server);
        struct sigaction action {};
        action.sa_handler = &onTermination;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int s : signals)
            sigaction(s, &action, nullptr);
    }
    ~StopOnTermination()
    {
        for (int s : signals)
            std::signal(s, SIG_DFL);
        running.store(nullptr);
        runningDoor.store(nullptr);
    }
    StopOnTermination(const StopOnTermination&) = delete;
    StopOnTermination& operator=(const StopOnTermination&) = delete;

private:
    static constexpr int signals[] = {SIGTERM, SIGINT};
};

bool parseNumber(const std::string& text, unsigned long max, unsigned long& number)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoul(text);
    return number <= max;
}

// serv-web, the web door, lives beside serv.
std::string doorProgram()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "serv-web";
    const std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "serv-web";
}

int usageError(const char* format, const std::string& what)
{
    std::fprintf(stderr, format, what.c_str());
    return 2;
}
}  // namespace

int main(int argc, char* argv[])
{
    std::string portText = "9352";
    std::string bind;
    std::string maxClientsText;
    std::string maxRateText;
    std::string webPort;
    std::vector<std::string> webOptions;  // handed to the door, which checks them
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help" || arg == "-?") {
            std::fputs(help, stdout);
            return 0;
        }
        std::string* value = nullptr;
        std::string name = arg;
        const std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos)
            name = arg.substr(0, equals);
        if (name == "--port")
            value = &portText;
        else if (name == "--bind")
            value = &bind;
        else if (name == "--max-clients")
            value = &maxClientsText;
        else if (name == "--max-rate")
            value = &maxRateText;
        else if (name == "--web")
            value = &webPort;
        std::string webValue;
        const bool webOption = name.rfind("--web-", 0) == 0;
        if (webOption)
            value = &webValue;
        if (!value) {
            std::fprintf(stderr, "serv: unknown option '%s'.\n%s", arg.c_str(), help);
            return 2;
        }
        if (equals != std::string::npos) {
            *value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            *value = argv[++i];
        } else {
            return usageError("serv: missing value after '%s'.\n", arg);
        }
        if (webOption) {
            webOptions.push_back(name);
            webOptions.push_back(webValue);
        }
    }
    if (!webOptions.empty() && webPort.empty())
        return usageError("serv: %s needs --web <PORT>.\n", webOptions.front());
    unsigned long doorPort = 0;
    if (!webPort.empty() && !parseNumber(webPort, 65535, doorPort))
        return usageError("serv: not a port number: %s\n", webPort);
    unsigned long port = 0;
    if (!parseNumber(portText, 65535, port))
        return usageError("serv: not a port number: %s\n", portText);
    if (!PlayServer::isAddress(bind))
        return usageError("serv: not an address: %s\n", bind);
    PlayServer::Limits limits;
    unsigned long number = 0;
    if (!maxClientsText.empty()) {
        if (!parseNumber(maxClientsText, 1000000, number) || number == 0)
            return usageError("serv: not a number of clients: %s\n", maxClientsText);
        limits.maxClients = static_cast<int>(number);
    }
    if (!maxRateText.empty()) {
        if (!parseNumber(maxRateText, 1UL << 30, number))
            return usageError("serv: not a number of bytes a second: %s\n", maxRateText);
        limits.sendRate = number;
    }

    // Every player is a descriptor: take all the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    // Unless told otherwise, stay well within the descriptors there are, so
    // that a crowd is turned away cleanly rather than by running out.
    if (maxClientsText.empty() && getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY)
        limits.maxClients = static_cast<int>(std::clamp<rlim_t>(
            files.rlim_cur > reservedFiles ? files.rlim_cur - reservedFiles : 1, 1, static_cast<rlim_t>(limits.maxClients)));
    std::signal(SIGPIPE, SIG_IGN);  // a closed log must not end the server

    // Ready for SIGTERM and SIGINT before anyone can know the server is there.
    LogWriter log(STDOUT_FILENO);
    const auto say = [&log](std::string_view line) { log.write(line); };
    DoorProcess door(say);
    PlayServer server(say, limits);
    const StopOnTermination stopper(server, door);
    if (!server.listen(bind, static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "serv: cannot listen on %s:%lu: %s\n",
                     bind.empty() ? "[::]" : PlayServer::shown(bind).c_str(), port, server.errorString().c_str());
        return 1;
    }
    std::atomic<bool> doorFailed{false};
    if (!webPort.empty()) {
        std::vector<std::string> arguments{"--port", std::to_string(doorPort)};
        if (!bind.empty())
            arguments.insert(arguments.end(), {"--bind", bind});
        arguments.insert(arguments.end(), webOptions.begin(), webOptions.end());
        if (!door.start(doorProgram(), arguments,
                        [&server](bool listening) { server.setBridgesListening(listening); })) {
            std::fprintf(stderr, "serv: %s\n", door.errorString().c_str());
            return door.exitCode() == 2 ? 2 : 1;
        }
        if (!server.adopt(door.takeRelayEnd(), "web door", PlayServer::Kind::Bridge)) {
            std::fprintf(stderr, "serv: cannot take the web door's bridge\n");
            return 1;
        }
        door.watch([&server](Fd bridge) { server.adoptLater(std::move(bridge), "web door", PlayServer::Kind::Bridge); },
                   [&server, &doorFailed] {
                       doorFailed = true;
                       server.stop();
                   });
    }
    log.write("listening on " + server.address() + ":" + std::to_string(server.port()));
    const bool served = server.run();
    // The door first: its pages get a word that the server goes, and no new
    // door is handed to a server that is going.
    door.stop();
    if (!served) {
        std::fprintf(stderr, "serv: %s\n", server.errorString().c_str());
        return 1;
    }
    if (doorFailed) {
        log.write("stopping: the web door cannot be started again");
        return 1;
    }
    log.write("stopping");
    return 0;
}
