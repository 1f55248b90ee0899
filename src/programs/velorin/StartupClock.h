#pragma once

#include <QElapsedTimer>
#include <QObject>

class QWindow;

// Where start-up spends its time, logged under velorin.startup (off unless
// QT_LOGGING_RULES="velorin.startup.debug=true"): each phase in milliseconds
// since the process started, the loading of the libraries before main included.
class StartupClock : public QObject {
public:
    StartupClock();

    void phase(const char* what) const;
    // Logs the window's first expose: the moment it is on the screen.
    void watchFirstExpose(QWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double sinceStart() const;

    QElapsedTimer sinceMain_;
    double mainAt_;
};
