// serv: the play server of Velorin's shared play.
#include "DoorProcess.h"
#include "PlayServer.h"

#include <sys/resource.h>
#include <unistd.h>

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
    "  -h, --help        Displays help on commandline options.\n"
    "  --port <N>        TCP port to listen on (default 9352; 0 picks a free one).\n"
    "  --bind <ADDRESS>  Address to listen on (default: all interfaces).\n"
    "  --web <N>         Also open the web door on TCP port N (0 picks a free one): the page that plays in\n"
    "                    the browser, and its players over WebSocket. Off unless asked.\n"
    "  --web-bind <ADDRESS>       Address of the web door (default: that of --bind).\n"
    "  --web-origin <ORIGIN>      A page origin allowed to join, such as https://piano.example.org; may be\n"
    "                             given again. Without it only pages of the door's own address join.\n"
    "  --web-max-clients <N>      Most browser players at once (default 256).\n"
    "  --web-max-rooms <N>        Most rooms at once besides the lobby (default 64).\n"
    "  --web-soundfont <FILE>     The SoundFont the page plays with (default: Debian's TimGM6mb).\n";

std::atomic<PlayServer*> running{nullptr};

void onTermination(int)
{
    // Only async-signal-safe work here: stop() writes to the loop's eventfd.
    if (PlayServer* server = running.load())
        server->stop();
}

// While it lives, SIGTERM, SIGINT and SIGHUP (a logout) end the server's loop
// and so the program, through its normal exit.
class StopOnTermination {
public:
    explicit StopOnTermination(PlayServer& server)
    {
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
    }
    StopOnTermination(const StopOnTermination&) = delete;
    StopOnTermination& operator=(const StopOnTermination&) = delete;

private:
    static constexpr int signals[] = {SIGTERM, SIGINT, SIGHUP};
};

// One write per line, so that a reader of the log sees whole lines at once.
void say(std::string_view text)
{
    std::string line(text);
    line += '\n';
    const char* at = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, at, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // nobody reads the log any more; serve on
        at += n;
        left -= static_cast<std::size_t>(n);
    }
}

bool parsePort(const std::string& text, unsigned& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = static_cast<unsigned>(std::stoul(text));
    return port <= 65535;
}

// serv-web, the web door, lives beside serv.
std::string doorProgram()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "serv-web";
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "serv-web";
}
}  // namespace

int main(int argc, char* argv[])
{
    std::string portText = "9352";
    std::string bind;
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
        else if (name == "--web")
            value = &webPort;
        std::string webValue;
        const bool webOption = name.rfind("--web-", 0) == 0;
        if (webOption)
            value = &webValue;
        if (!value) {
            std::fprintf(stderr, "serv: unknown option '%s'.\n%s", arg.c_str(), help);
            return 1;
        }
        if (equals != std::string::npos) {
            *value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            *value = argv[++i];
        } else {
            std::fprintf(stderr, "serv: missing value after '%s'.\n", arg.c_str());
            return 1;
        }
        if (webOption) {
            webOptions.push_back(name);
            webOptions.push_back(webValue);
        }
    }
    if (!webOptions.empty() && webPort.empty()) {
        std::fprintf(stderr, "serv: the --web-... options need --web <PORT>.\n");
        return 2;
    }
    unsigned doorPort = 0;
    if (!webPort.empty() && !parsePort(webPort, doorPort)) {
        std::fprintf(stderr, "serv: not a port number: %s\n", webPort.c_str());
        return 2;
    }
    unsigned port = 0;
    if (!parsePort(portText, port)) {
        std::fprintf(stderr, "serv: not a port number: %s\n", portText.c_str());
        return 2;
    }
    if (!PlayServer::isAddress(bind)) {
        std::fprintf(stderr, "serv: not an address: %s\n", bind.c_str());
        return 2;
    }

    // Every player is a descriptor: take all the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    std::signal(SIGPIPE, SIG_IGN);  // a closed log must not end the server

    // Declared first so that it goes last: the relay closes the door's
    // bridge, then the door is waited for.
    DoorProcess door;
    // Ready for SIGTERM and SIGINT before anyone can know the server is there.
    PlayServer server(say);
    const StopOnTermination stopper(server);
    if (!server.listen(bind, static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "serv: cannot listen on %s:%u: %s\n", bind.empty() ? "0.0.0.0" : bind.c_str(), port,
                     server.errorString().c_str());
        return 1;
    }
    if (!webPort.empty()) {
        std::vector<std::string> arguments{"--port", std::to_string(doorPort)};
        if (!bind.empty())
            arguments.insert(arguments.end(), {"--bind", bind});
        arguments.insert(arguments.end(), webOptions.begin(), webOptions.end());
        if (!door.start(doorProgram(), arguments)) {
            std::fprintf(stderr, "serv: %s\n", door.errorString().c_str());
            return door.exitCode() == 2 ? 2 : 1;
        }
        if (!server.adopt(door.takeRelayEnd(), "web door", true)) {
            std::fprintf(stderr, "serv: %s\n", server.errorString().c_str());
            return 1;
        }
    }
    say("listening on " + server.address() + ":" + std::to_string(server.port()));
    if (!server.run()) {
        std::fprintf(stderr, "serv: %s\n", server.errorString().c_str());
        return 1;
    }
    say("stopping");
    return 0;
}
