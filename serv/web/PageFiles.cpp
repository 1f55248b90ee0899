#include "PageFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

PageFiles::PageFiles(const QString& folder, const QString& soundFont)
{
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files_.insert(QLatin1Char('/') + root.relativeFilePath(path), QFileInfo(path).absoluteFilePath());
    }
    if (!soundFont.isEmpty() && QFileInfo(soundFont).isReadable())
        files_.insert(QStringLiteral("/soundfont.sf2"), QFileInfo(soundFont).absoluteFilePath());
}

QByteArray PageFiles::mimeType(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("html"))
        return "text/html; charset=utf-8";
    if (suffix == QLatin1String("js"))
        return "text/javascript; charset=utf-8";
    if (suffix == QLatin1String("css"))
        return "text/css; charset=utf-8";
    if (suffix == QLatin1String("wasm"))
        return "application/wasm";
    if (suffix == QLatin1String("svg"))
        return "image/svg+xml";
    if (suffix == QLatin1String("txt"))
        return "text/plain; charset=utf-8";
    return "application/octet-stream";
}
