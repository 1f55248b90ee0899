#include "ui/window/MidiPortNotices.h"

#include <QLabel>

MidiPortNotices::MidiPortNotices(QLabel& line, QObject* parent) : QObject(parent), line_(line)
{
    goodNews_.setSingleShot(true);
    goodNews_.setInterval(goodNewsMs);
    connect(&goodNews_, &QTimer::timeout, this, [this] {
        for (PortNotice& n : notices_)
            if (!n.problem)
                n.text.clear();
        update();
    });
    update();
}

void MidiPortNotices::show(const PortNotice& notice)
{
    notices_[notice.direction == PortNotice::Direction::Input ? 0 : 1] = notice;
    if (!notice.problem && !notice.text.empty())
        goodNews_.start();
    update();
}

void MidiPortNotices::update()
{
    QStringList texts;
    for (const PortNotice& n : notices_)
        if (!n.text.empty())
            texts << QString::fromStdString(n.text);
    line_.setText(texts.join(QStringLiteral("    ")));
    line_.setVisible(!texts.isEmpty());
}
