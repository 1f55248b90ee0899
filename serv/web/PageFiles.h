#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The files the door serves, and no others: each file under the page folder
// at its path below it, the SoundFont at /soundfont.sf2. Listed once at
// start-up, so that no address a browser sends can name anything else.
class PageFiles {
public:
    PageFiles() = default;
    PageFiles(const QString& folder, const QString& soundFont);

    bool hasPage() const { return files_.contains(QStringLiteral("/index.html")); }
    // The file at `path` ("/piano.js"), or empty.
    QString file(const QString& path) const { return files_.value(path); }
    static QByteArray mimeType(const QString& path);

private:
    QHash<QString, QString> files_;
};
