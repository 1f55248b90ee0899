#include "support/JackServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
// JACK keeps its servers in a registry of 8 slots, and gives the slot of a
// server that did not end cleanly back only to a server of the same name.
// So tests take their names from a small fixed set, each name held through
// a lock file for as long as its server lives (tests run side by side), and
// never fill the registry however many runs a machine sees.
constexpr int names = 4;

int takeName(QString& name)
{
    for (int round = 0; round < 600; ++round) {
        for (int n = 0; n < names; ++n) {
            const QByteArray lock = QStringLiteral("/tmp/velorin-test-jack-%1.lock").arg(n).toLocal8Bit();
            const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                name = QStringLiteral("velorin-test-%1").arg(n);
                return fd;
            }
            ::close(fd);
        }
        QTest::qWait(100);
    }
    name = QStringLiteral("velorin-test-%1").arg(QCoreApplication::applicationPid());
    return -1;
}
}  // namespace

JackServer::JackServer()
    : nameLock_(takeName(name_)),
      savedServer_(qgetenv("JACK_DEFAULT_SERVER")),
      hadServer_(qEnvironmentVariableIsSet("JACK_DEFAULT_SERVER"))
{
    qputenv("JACK_DEFAULT_SERVER", name_.toLocal8Bit());
    // It reports every late cycle of a busy machine: too much to read.
    jackd_.setStandardOutputFile(QProcess::nullDevice());
    jackd_.setStandardErrorFile(QProcess::nullDevice());
    // The server holds the name's lock too, so that a server outliving a
    // test that crashed (it ends on its parent's death, but not at once)
    // keeps its name until it has ended, and the next test takes another.
    const int lock = nameLock_;
    jackd_.setChildProcessModifier([lock] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (lock >= 0)
            ::fcntl(lock, F_SETFD, 0);
    });
    start();
}

bool JackServer::start()
{
    // A generous client timeout, so that a busy machine (or a sanitizer
    // build) does not get a test's clients thrown out, and long periods
    // (21 ms), so that it misses few cycles.
    jackd_.start(QStringLiteral("jackd"), {QStringLiteral("--no-realtime"), QStringLiteral("--timeout"),
                                           QStringLiteral("5000"), QStringLiteral("-d"), QStringLiteral("dummy"),
                                           QStringLiteral("-r"), QStringLiteral("48000"), QStringLiteral("-p"),
                                           QStringLiteral("1024")});
    if (!jackd_.waitForStarted(10000))
        return false;
    // jack_wait gives up, rather than waiting on, when its client reaches a
    // server that is still starting (its socket there, the rest not yet):
    // asked again until the server answers or has ended.
    QElapsedTimer waited;
    waited.start();
    while (jackd_.state() == QProcess::Running && waited.elapsed() < 30000) {
        QProcess wait;
        wait.start(QStringLiteral("jack_wait"),
                   {QStringLiteral("--wait"), QStringLiteral("--timeout"), QStringLiteral("20")});
        if (wait.waitForFinished(30000) && wait.exitStatus() == QProcess::NormalExit && wait.exitCode() == 0) {
            running_ = jackd_.state() == QProcess::Running;
            return running_;
        }
        QTest::qWait(100);
    }
    running_ = false;
    return false;
}

void JackServer::kill()
{
    // QProcess signals only its own child, and only while it runs.
    jackd_.kill();
    jackd_.waitForFinished(10000);
    running_ = false;
}

JackServer::~JackServer()
{
    if (jackd_.state() != QProcess::NotRunning) {
        jackd_.terminate();
        if (!jackd_.waitForFinished(10000)) {
            jackd_.kill();
            jackd_.waitForFinished(5000);
        }
    }
    if (hadServer_)
        qputenv("JACK_DEFAULT_SERVER", savedServer_);
    else
        qunsetenv("JACK_DEFAULT_SERVER");
    if (nameLock_ >= 0)
        ::close(nameLock_);
}

void JackServer::endWithThisProcess(QProcess& child)
{
    // Runs in the child between fork and exec.
    child.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

QStringList JackServer::listPorts(const QStringList& arguments) const
{
    QProcess lsp;
    lsp.start(QStringLiteral("jack_lsp"), arguments);
    if (!lsp.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(lsp.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool JackServer::waitForPort(const QString& prefix, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            for (const QString& port : listPorts())
                if (port.startsWith(prefix))
                    return true;
            return false;
        },
        timeoutMs);
}

bool JackServer::waitForConnection(const QString& port, const QString& other, int timeoutMs) const
{
    // jack_lsp -c lists each port with its connections indented below it.
    return QTest::qWaitFor(
        [&] {
            const QStringList lines = listPorts({QStringLiteral("-c"), port});
            for (const QString& line : lines)
                if (line.startsWith(QLatin1Char(' ')) && line.trimmed() == other)
                    return true;
            return false;
        },
        timeoutMs);
}
