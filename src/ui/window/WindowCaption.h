#pragma once

#include <QString>

#include <set>

class QWidget;

// The one writer of the main window's caption. What it shows, in order:
// "Velorin - Device not ready" while a sound fault holds (the text it
// covers comes back when the last fault goes, unless something else was said
// meanwhile); otherwise the last thing said: the base note, the recording's
// key, the replay, the connection, "Playing the take" while the take plays
// and, after it, what was said before it.
class WindowCaption {
public:
    enum class Fault { OutputFailed, OutputPortMissing };

    explicit WindowCaption(QWidget& window);

    void say(const QString& text);
    void setFault(Fault fault, bool holds);
    void setTakePlaying(bool playing);

    QString text() const;
    static QString notReady() { return QStringLiteral("Velorin - Device not ready"); }
    static QString playingTake() { return QStringLiteral("Playing the take"); }

private:
    void show(const QString& text);

    QWidget& window_;
    std::set<Fault> faults_;
    QString covered_;     // what a fault's caption covers
    QString beforeTake_;  // what "Playing the take" covers
};
