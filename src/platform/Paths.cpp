#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <utility>
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
            folders.push_back(local(share.chopped(6) + QStringLiteral("/" VELORIN_PROGRAM_DIR)));
    }
    return folders;
}

// The prefix of an installation whose program folder this is: it is
// <prefix>/lib/velorin, with the data folder beside it. Empty for a build,
// and for the midi folder, whose data folder would be itself.
QString installationPrefixOf(const QString& programFolder, const QString& dataFolder)
{
    const QString tail = QStringLiteral("/" VELORIN_PROGRAM_DIR);
    if (!programFolder.endsWith(tail) || !QFileInfo(dataFolder).isDir())
        return {};
    return programFolder.chopped(tail.size());
}

// Which installed Velorin, if any, was made after the copy in the midi
// folder: the desktop's installations and the program running, if installed.
// The newest of them, with the share folder the desktop reads it from.
void findNewerInstallation(AppPaths& paths)
{
    const QFileInfo copy(QString::fromStdString(paths.installedProgram()));
    if (!copy.isFile())
        return;
    paths.runningCopy = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath() ==
                        copy.canonicalFilePath();
    std::vector<std::pair<QString, QString>> installed;  // program, share folder the desktop reads
    for (const QString& share : desktopShareFolders())
        if (share.endsWith(QStringLiteral("/share")))
            installed.emplace_back(share.chopped(6) + QStringLiteral("/" VELORIN_PROGRAM_DIR "/velorin"), share);
    if (!paths.installationPrefix.empty())
        installed.emplace_back(QString::fromStdString(paths.runningProgram()), QString());
    QDateTime newest = copy.lastModified();
    for (const auto& [program, share] : installed) {
        const QFileInfo info(program);
        if (!info.isFile() || !info.isExecutable() || info.canonicalFilePath() == copy.canonicalFilePath() ||
            info.lastModified() <= newest)
            continue;
        newest = info.lastModified();
        paths.newerInstalledProgram = local(info.absoluteFilePath());
        // The copy leaves the menu entry and the file type to that installation.
        if (paths.runningCopy && !share.isEmpty())
            paths.desktopShareFolder = local(share);
    }
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
    paths.installationPrefix = local(installationPrefixOf(programFolder, QString::fromStdString(paths.dataFolder)));
    findNewerInstallation(paths);
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
