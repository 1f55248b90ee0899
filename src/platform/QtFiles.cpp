#include "platform/QtFiles.h"

#include "platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString qPath(const std::string& path) { return QString::fromStdString(path); }
}  // namespace

std::optional<std::string> QtFiles::read(const std::string& path) const
{
    QFile file(qPath(path));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
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
        return false;
    }
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        qCWarning(lcFiles) << "cannot write" << file.fileName() << file.errorString();
        return false;
    }
    if (!file.commit()) {
        qCWarning(lcFiles) << "cannot write" << file.fileName() << file.errorString();
        return false;
    }
    return true;
}

bool QtFiles::append(const std::string& path, std::string_view bytes)
{
    QFile file(qPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool ok = file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

bool QtFiles::remove(const std::string& path)
{
    return QFileInfo(qPath(path)).isFile() && QFile::remove(qPath(path));
}

bool QtFiles::makeFolder(const std::string& path)
{
    return QDir().mkpath(qPath(path));
}
