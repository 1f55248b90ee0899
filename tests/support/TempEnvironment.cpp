#include "support/TempEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const char* const variables[3] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
const char* const folders[3] = {"data", "config", "runtime"};
}  // namespace

TempEnvironment::TempEnvironment()
{
    for (int i = 0; i < 3; ++i) {
        saved_[i] = qgetenv(variables[i]);
        const QString folder = dir_.path() + QLatin1Char('/') + QLatin1String(folders[i]);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(variables[i], folder.toLocal8Bit());
    }
    QDir().mkpath(midiFolder());
}

TempEnvironment::~TempEnvironment()
{
    for (int i = 0; i < 3; ++i)
        qputenv(variables[i], saved_[i]);
}

QString TempEnvironment::midiFolder() const
{
    return dir_.path() + QStringLiteral("/data/velorin");
}

QString TempEnvironment::settingsStoreFile() const
{
    return dir_.path() + QStringLiteral("/config/velorin/velorin.ini");
}

void TempEnvironment::write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempEnvironment::read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
