#include "StartupClock.h"

#include "platform/Logging.h"

#include <QEvent>
#include <QFile>
#include <QWindow>

#include <unistd.h>

namespace {
// How long the process has run, to the kernel's 10 ms.
double processAgeMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // Field 22, the start time in clock ticks since boot, counted after the name in brackets.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.size() > 19 ? fields[19].toDouble() : 0;
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return (up - startTicks / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000;
}
}  // namespace

StartupClock::StartupClock() : mainAt_(lcStartup().isDebugEnabled() ? processAgeMs() : 0)
{
    sinceMain_.start();
}

double StartupClock::sinceStart() const
{
    return mainAt_ + static_cast<double>(sinceMain_.nsecsElapsed()) / 1e6;
}

void StartupClock::phase(const char* what) const
{
    qCDebug(lcStartup, "%.1f ms: %s", sinceStart(), what);
}

void StartupClock::watchFirstExpose(QWindow* window)
{
    if (window && lcStartup().isDebugEnabled())
        window->installEventFilter(this);
}

bool StartupClock::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose) {
        phase("first expose");
        watched->removeEventFilter(this);
    }
    return false;
}
