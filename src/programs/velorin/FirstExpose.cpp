#include "FirstExpose.h"

#include <QEvent>
#include <QWindow>

#include <utility>

FirstExpose::FirstExpose(QWindow* window, std::function<void()> action, int latestMs)
    : window_(window), action_(std::move(action))
{
    latest_.setSingleShot(true);
    connect(&latest_, &QTimer::timeout, this, &FirstExpose::run);
    latest_.start(latestMs);
    if (window_)
        window_->installEventFilter(this);
}

bool FirstExpose::eventFilter(QObject* watched, QEvent* event)
{
    // After the expose is painted: what runs then does not hold the first picture back.
    if (watched == window_ && event->type() == QEvent::Expose)
        QTimer::singleShot(0, this, &FirstExpose::run);
    return false;
}

void FirstExpose::run()
{
    if (!action_)
        return;
    latest_.stop();
    if (window_)
        window_->removeEventFilter(this);
    std::exchange(action_, {})();
}
