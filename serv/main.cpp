// serv: the play server of Velorin's shared play.
#include "PlayServer.h"
#include "platform/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("serv"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The play server of Velorin's shared play. Every message a player sends reaches every "
                       "connected player, the sender included."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port to listen on (default 9352; 0 picks a free one)."),
                                        QStringLiteral("N"), QStringLiteral("9352"));
    const QCommandLineOption bindOption(QStringLiteral("bind"),
                                        QStringLiteral("Address to listen on (default: all interfaces)."),
                                        QStringLiteral("ADDRESS"), QString());
    parser.addOption(portOption);
    parser.addOption(bindOption);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        err << "serv: not a port number: " << parser.value(portOption) << Qt::endl;
        return 2;
    }
    QHostAddress address = QHostAddress::Any;
    if (parser.isSet(bindOption) && !address.setAddress(parser.value(bindOption))) {
        err << "serv: not an address: " << parser.value(bindOption) << Qt::endl;
        return 2;
    }

    PlayServer server(out);
    if (!server.listen(address, static_cast<quint16>(port))) {
        err << "serv: cannot listen on " << address.toString() << ":" << port << ": " << server.errorString()
            << Qt::endl;
        return 1;
    }
    out << "listening on " << server.address().toString() << ":" << server.port() << Qt::endl;

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, [&] {
        out << "stopping" << Qt::endl;
        QCoreApplication::quit();
    });
    return app.exec();
}
