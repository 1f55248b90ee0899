#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>

#include <vector>

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

// The share folders the desktop reads, from $XDG_DATA_DIRS.
QStringList desktopShareFolders()
{
    QString list = qEnvironmentVariable("XDG_DATA_DIRS");
    if (list.isEmpty())
        list = QStringLiteral("/usr/local/share:/usr/share");
    QStringList folders;
    for (const QString& entry : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(entry))
            folders << QDir::cleanPath(entry);
    return folders;
}

// Installations the desktop knows of: each prefix whose share folder is in
// $XDG_DATA_DIRS, with its data in share/velorin and its programs in lib/velorin.
std::vector<std::string> listedInstallations()
{
    std::vector<std::string> folders;
    for (const QString& share : desktopShareFolders()) {
        folders.push_back(local(share + QStringLiteral("/velorin")));
        if (share.endsWith(QStringLiteral("/share")))
            folders.push_back(local(share.chopped(6) + QStringLiteral("/lib/velorin")));
    }
    return folders;
}
}  // namespace

AppPaths fromEnvironment()
{
    AppPaths paths;
    paths.midiFolder = local(xdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("/velorin"));
    const QString programFolder = QCoreApplication::applicationDirPath();
    paths.programFolder = local(programFolder);
    // Installed, the programs are in <prefix>/lib/velorin and the data in <prefix>/share/velorin.
    paths.dataFolder = local(QDir::cleanPath(programFolder + QStringLiteral("/" VELORIN_DATA_FROM_PROGRAM)));
    paths.moreShippedFolders = listedInstallations();
    paths.moreShippedFolders.push_back(VELORIN_BUILD_FOLDER);
    paths.userDataFolder = local(xdgFolder("XDG_DATA_HOME", ".local/share"));
    paths.userConfigFolder = local(xdgFolder("XDG_CONFIG_HOME", ".config"));
    // An installation's share folder is the parent of its data folder.
    const QString share = QDir::cleanPath(QString::fromStdString(paths.dataFolder) + QStringLiteral("/.."));
    if (desktopShareFolders().contains(share))
        paths.desktopShareFolder = local(share);
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
