#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWindow;

// Runs an action once, when the window is first on the screen (its first
// expose), or after a while if it never is (a window started minimized).
class FirstExpose : public QObject {
public:
    FirstExpose(QWindow* window, std::function<void()> action, int latestMs = 2000);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run();

    QWindow* window_;
    std::function<void()> action_;
    QTimer latest_;
};
