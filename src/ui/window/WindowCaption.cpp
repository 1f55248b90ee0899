#include "ui/window/WindowCaption.h"

#include <QWidget>

WindowCaption::WindowCaption(QWidget& window) : window_(window)
{
    show(QStringLiteral("Velorin Piano - 127 Tones"));
}

QString WindowCaption::text() const
{
    return window_.windowTitle();
}

void WindowCaption::show(const QString& text)
{
    window_.setWindowTitle(text);
}

void WindowCaption::say(const QString& text)
{
    // The latest word wins, over a fault's caption too; the fault itself
    // stays told in the line under the keys.
    show(text);
}

void WindowCaption::setFault(Fault fault, bool holds)
{
    if (holds) {
        faults_.insert(fault);
        if (text() != notReady())
            covered_ = text();
        show(notReady());
        return;
    }
    faults_.erase(fault);
    if (faults_.empty() && text() == notReady() && !covered_.isEmpty())
        show(covered_);
}

void WindowCaption::setTakePlaying(bool playing)
{
    if (playing) {
        beforeTake_ = text();
        show(playingTake());
    } else if (text() == playingTake()) {
        show(beforeTake_);
    }
}
