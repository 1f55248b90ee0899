#include "platform/QtFiles.h"

#include "platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString qPath(const std::string& path) { return QString::fromStdString(path); }
}  // namespace

bool QtFiles::failed(const QFileDevice& file) const
{
    lastError_ = file.errorString().toStdString();
    return false;
}

std::optional<std::string> QtFiles::read(const std::string& path) const
{
    QFile file(qPath(path));
    if (!QFileInfo(file).isFile()) {
        lastError_ = QFileInfo::exists(file.fileName()) ? "not an ordinary file" : "No such file or directory";
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        failed(file);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        failed(file);
        return std::nullopt;
    }
    return bytes.toStdString();
}

bool QtFiles::fileExists(const std::string& path) const
{
    return QFileInfo(qPath(path)).isFile();
}

bool QtFiles::writeAtomically(const std::string& path, std::string_view bytes)
{
    // QSaveFile writes a temporary file beside the target and renames it over
    // the old one only when every byte reached the disk.
    QSaveFile file(qPath(path));
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcFiles) << "cannot write" << file.fileName() << file.errorString();
        return failed(file);
    }
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        failed(file);
        file.cancelWriting();
        qCWarning(lcFiles) << "cannot write" << file.fileName() << lastError_.c_str();
        return false;
    }
    if (!file.commit()) {
        qCWarning(lcFiles) << "cannot write" << file.fileName() << file.errorString();
        return failed(file);
    }
    return true;
}

bool QtFiles::append(const std::string& path, std::string_view bytes)
{
    QFile file(qPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return failed(file);
    const bool ok = file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    if (!ok || !file.flush())
        return failed(file);
    file.close();
    return file.error() == QFileDevice::NoError || failed(file);
}

bool QtFiles::remove(const std::string& path)
{
    return QFileInfo(qPath(path)).isFile() && QFile::remove(qPath(path));
}

bool QtFiles::makeFolder(const std::string& path)
{
    return QDir().mkpath(qPath(path));
}

bool QtFiles::canWrite(const std::string& path) const
{
    const QFileInfo file(qPath(path));
    if (file.exists() && !file.isFile())
        return false;
    // The new content is written beside the file and renamed over it.
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable();
}
