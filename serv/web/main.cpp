// serv-web: the web door of serv. serv starts it for --web and hands it one
// end of a socket pair to the relay; it serves the page and its players.
#include "PageFiles.h"
#include "RelayBridge.h"
#include "WebDoor.h"
#include "LogWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

namespace {
constexpr const char* usage =
    "Usage: serv-web --bridge-fd N [--ready-fd N] [--control-fd N] [--port N] [--bind ADDRESS]\n"
    "                [--web-bind ADDRESS]\n"
    "                [--web-origin ORIGIN]... [--web-max-clients N] [--web-max-rooms N]\n"
    "                [--web-soundfont FILE] [--web-root FOLDER]\n"
    "The web door of serv; serv starts it for 'serv --web PORT'.\n";

bool number(const QString& text, int low, int high, int& out)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high)
        return false;
    out = n;
    return true;
}

QString pageFolder(const QString& given)
{
    if (!given.isEmpty())
        return given;
    const QDir programs(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {programs.filePath(QStringLiteral("web")),
                                     programs.filePath(QStringLiteral("../../share/velorin/web"))})
        if (QFileInfo(candidate + QStringLiteral("/index.html")).isFile())
            return QDir::cleanPath(candidate);
    return programs.filePath(QStringLiteral("web"));
}
}  // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    // The door logs its refusals itself, in the relay's form.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.httpserver.warning=false\nqt.httpserver.*.warning=false"));
    const QStringList args = app.arguments();
    DoorOptions options;
    int bridgeFd = -1, readyFd = -1, controlFd = -1, port = 0;
    QString root, soundFont = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    for (int i = 1; i < args.size(); ++i) {
        const QString name = args[i];
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "serv-web: missing value after '%s'.\n%s", qPrintable(name), usage);
            return 2;
        }
        const QString value = args[++i];
        bool ok = true;
        if (name == QLatin1String("--bridge-fd"))
            ok = number(value, 0, 1 << 20, bridgeFd);
        else if (name == QLatin1String("--ready-fd"))
            ok = number(value, 0, 1 << 20, readyFd);
        else if (name == QLatin1String("--control-fd"))
            ok = number(value, 0, 1 << 20, controlFd);
        else if (name == QLatin1String("--port"))
            ok = number(value, 0, 65535, port);
        else if (name == QLatin1String("--bind") || name == QLatin1String("--web-bind"))
            ok = value.isEmpty() ? (options.address = QHostAddress::Any, true) : options.address.setAddress(value);
        else if (name == QLatin1String("--web-origin"))
            options.origins.append(value);
        else if (name == QLatin1String("--web-max-clients"))
            ok = number(value, 1, 100000, options.maxClients);
        else if (name == QLatin1String("--web-max-rooms"))
            ok = number(value, 0, 100000, options.maxRooms);
        else if (name == QLatin1String("--web-soundfont"))
            soundFont = value;
        else if (name == QLatin1String("--web-root"))
            root = value;
        else {
            std::fprintf(stderr, "serv: unknown option '%s'.\n%s", qPrintable(name), usage);
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "serv: bad value for %s: %s\n", qPrintable(name), qPrintable(value));
            return 2;
        }
    }
    options.port = static_cast<quint16>(port);

    // The relay's log, timed the same way; a log nobody reads never holds
    // the door.
    LogWriter log(STDOUT_FILENO);
    const auto say = [&log](std::string_view line) { log.write(line); };
    const PageFiles files(pageFolder(root), soundFont);
    if (!files.hasPage())
        say("web door: no page in " + pageFolder(root).toStdString());
    WebDoor door(options, files, say);
    const quint16 listening = door.open();
    if (listening == 0) {
        std::fprintf(stderr, "serv: the web door cannot listen on port %d\n", port);
        return 1;
    }
    say("web door on http://" +
        (options.address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + options.address.toString() + "]"
         : options.address == QHostAddress::Any                     ? QStringLiteral("[::]")
                                                                     : options.address.toString())
            .toStdString() +
        ":" + std::to_string(listening) + "/");

    std::unique_ptr<RelayBridge> bridge;
    if (bridgeFd >= 0) {
        bridge = std::make_unique<RelayBridge>(
            bridgeFd, controlFd, [&door](std::string_view bytes) { door.relayed(bytes); },
            [] {
                // The relay is gone, and with it the lobby: the door goes too.
                QCoreApplication::exit(0);
            });
        door.setBridge(bridge.get());
    }
    if (readyFd >= 0) {
        const char ready = '1';
        [[maybe_unused]] const auto written = ::write(readyFd, &ready, 1);
        ::close(readyFd);
    }
    return app.exec();
}
