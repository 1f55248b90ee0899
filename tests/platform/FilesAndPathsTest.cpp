#include "platform/Paths.h"
#include "platform/QtFiles.h"
#include "support/TempEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

TEST(Paths, FoldersFollowTheXdgEnvironment)
{
    TempEnvironment env;
    const AppPaths paths = Paths::fromEnvironment();
    EXPECT_EQ(QString::fromStdString(paths.midiFolder), env.midiFolder());
    EXPECT_EQ(Paths::settingsStoreFile(), env.settingsStoreFile());
    EXPECT_TRUE(Paths::instanceLockFile().startsWith(env.root() + QStringLiteral("/runtime/")));
    EXPECT_EQ(paths.keyboardSettingsFile(), paths.midiFolder + "/instruments.ini");

    // Relative or empty XDG folders are ignored, as the XDG rules say.
    qputenv("XDG_DATA_HOME", "relative/folder");
    EXPECT_EQ(QString::fromStdString(Paths::fromEnvironment().midiFolder),
              QDir::homePath() + QStringLiteral("/.local/share/velorin"));
}

TEST(Paths, ShippedFilesAreFoundBesideTheProgramFirst)
{
    TempEnvironment env;
    QtFiles files;
    AppPaths paths;
    paths.programFolder = (env.root() + QStringLiteral("/bin")).toStdString();
    paths.dataFolder = (env.root() + QStringLiteral("/share/velorin")).toStdString();
    EXPECT_EQ(paths.shippedFile(files, "darvel.dll"), paths.dataFolder + "/darvel.dll");
    TempEnvironment::write(QString::fromStdString(paths.programFolder + "/darvel.dll"), "x");
    EXPECT_EQ(paths.shippedFile(files, "darvel.dll"), paths.programFolder + "/darvel.dll");
}

TEST(Paths, ACopyOfTheProgramFindsItsInstallationThroughTheDesktopsDataFolders)
{
    TempEnvironment env;
    qputenv("XDG_DATA_DIRS", (env.root() + "/usr/share/:relative/share:" + env.root() + "/opt").toUtf8());
    AppPaths paths = Paths::fromEnvironment();
    qunsetenv("XDG_DATA_DIRS");
    const std::string root = env.root().toStdString();
    EXPECT_EQ(paths.userDataFolder, root + "/data");
    EXPECT_EQ(paths.userConfigFolder, root + "/config");
    ASSERT_EQ(paths.moreShippedFolders.size(), 4u);
    EXPECT_EQ(paths.moreShippedFolders[0], root + "/usr/share/velorin");
    EXPECT_EQ(paths.moreShippedFolders[1], root + "/usr/lib/velorin");
    EXPECT_EQ(paths.moreShippedFolders[2], root + "/opt/velorin");
    EXPECT_EQ(paths.moreShippedFolders[3], QCoreApplication::applicationDirPath().toStdString());  // built here

    // The program in the midi folder: the guide from the data, the converter from the programs.
    QtFiles files;
    paths.programFolder = paths.midiFolder;
    paths.dataFolder = root + "/nowhere";
    TempEnvironment::write(env.root() + "/usr/share/velorin/guide.html", "x");
    TempEnvironment::write(env.root() + "/usr/lib/velorin/midiconv1", "x");
    EXPECT_EQ(paths.guidePage(files), root + "/usr/share/velorin/guide.html");
    EXPECT_EQ(paths.converterProgram(files), root + "/usr/lib/velorin/midiconv1");
    // Beside the program wins; nothing anywhere gives the installed name.
    TempEnvironment::write(QString::fromStdString(paths.midiFolder + "/midiconv1"), "x");
    EXPECT_EQ(paths.converterProgram(files), paths.midiFolder + "/midiconv1");
    EXPECT_EQ(paths.shippedFile(files, "none"), root + "/nowhere/none");
}

TEST(QtFiles, ReadsOnlyOrdinaryFiles)
{
    TempEnvironment env;
    QtFiles files;
    const std::string folder = env.midiFolder().toStdString();
    EXPECT_FALSE(files.fileExists(folder));
    EXPECT_EQ(files.read(folder), std::nullopt);
    EXPECT_EQ(files.read(folder + "/missing"), std::nullopt);
    TempEnvironment::write(env.midiFolder() + QStringLiteral("/a"), QByteArray("x\0y", 3));
    EXPECT_TRUE(files.fileExists(folder + "/a"));
    EXPECT_EQ(files.read(folder + "/a"), std::string("x\0y", 3));
}

TEST(QtFiles, AFailedWriteLeavesTheOldFileWhole)
{
    TempEnvironment env;
    QtFiles files;
    const std::string path = env.midiFolder().toStdString() + "/instruments.ini";
    ASSERT_TRUE(files.writeAtomically(path, "old\r\n"));
    ASSERT_TRUE(files.writeAtomically(path, "new\r\n"));
    EXPECT_EQ(files.read(path), "new\r\n");

    // A disk that fills up in the middle of the write: limit the file size.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = files.writeAtomically(path, std::string(64 * 1024, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(files.read(path), "new\r\n");
    EXPECT_EQ(QDir(env.midiFolder()).entryList(QDir::Files), QStringList{"instruments.ini"});

    EXPECT_FALSE(files.writeAtomically(env.root().toStdString() + "/no/such/folder/file", "x"));
}
