#pragma once

#include <QString>
#include <QTemporaryDir>

// Points XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at fresh
// temporary folders for as long as it lives, so tests never touch the
// user's own files.
class TempEnvironment {
public:
    TempEnvironment();
    ~TempEnvironment();

    QString root() const { return dir_.path(); }
    QString midiFolder() const;       // $XDG_DATA_HOME/velorin, created
    QString settingsStoreFile() const;  // $XDG_CONFIG_HOME/velorin/velorin.ini

    // Writes a file below the root, creating its folders.
    static void write(const QString& path, const QByteArray& bytes);
    static QByteArray read(const QString& path);

private:
    QTemporaryDir dir_;
    QByteArray saved_[3];
};
