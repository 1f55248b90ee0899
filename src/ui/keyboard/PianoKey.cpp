#include "ui/keyboard/PianoKey.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PianoKey::PianoKey(int index, QWidget* parent) : QAbstractButton(parent), index_(index)
{
    setFocusPolicy(Qt::ClickFocus);
}

void PianoKey::setShownPressed(bool pressed)
{
    if (pressed != shownPressed_) {
        shownPressed_ = pressed;
        update();
    }
}

void PianoKey::setBackground(const QColor& colour)
{
    background_ = colour;
    update();
}

void PianoKey::setTextColour(const QColor& colour)
{
    text_ = colour;
    update();
}

void PianoKey::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, background_);
    // A raised edge when up and a sunken one when down, as a push button draws it.
    const QColor light = shownPressed_ ? background_.darker(170) : background_.lighter(130);
    const QColor dark = shownPressed_ ? background_.lighter(130) : background_.darker(170);
    const QColor frame(0, 0, 0);
    p.setPen(frame);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(light);
    p.drawLine(1, 1, r.width() - 2, 1);
    p.drawLine(1, 1, 1, r.height() - 2);
    p.setPen(dark);
    p.drawLine(1, r.height() - 2, r.width() - 2, r.height() - 2);
    p.drawLine(r.width() - 2, 1, r.width() - 2, r.height() - 2);
    if (!text().isEmpty()) {
        p.setPen(text_);
        p.setFont(font());
        const QRect textRect = shownPressed_ ? r.translated(1, 1) : r;
        p.drawText(textRect, Qt::AlignCenter, text());
    }
}

void PianoKey::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseDown(index_);
}

void PianoKey::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseUp(index_);
}

// A focused key must not click itself on Space or Enter: the window plays it.
void PianoKey::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
}

void PianoKey::keyReleaseEvent(QKeyEvent* event)
{
    event->ignore();
}
