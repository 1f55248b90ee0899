#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

namespace Paths {

namespace {
QString xdgFolder(const char* variable, const char* fallbackBelowHome)
{
    const QString set = qEnvironmentVariable(variable);
    if (!set.isEmpty() && QDir::isAbsolutePath(set))
        return set;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}

std::string local(const QString& path) { return path.toStdString(); }
}  // namespace

AppPaths fromEnvironment()
{
    AppPaths paths;
    paths.midiFolder = local(xdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("/velorin"));
    const QString programFolder = QCoreApplication::applicationDirPath();
    paths.programFolder = local(programFolder);
    paths.dataFolder = local(QDir::cleanPath(programFolder + QStringLiteral("/../share/velorin")));
    return paths;
}

QString settingsStoreFile()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("/velorin/velorin.ini");
}

QString instanceLockFile()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/velorin-") + QString::number(getuid()) + QStringLiteral(".lock");
}

}  // namespace Paths
