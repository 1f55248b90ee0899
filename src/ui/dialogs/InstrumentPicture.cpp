#include "ui/dialogs/InstrumentPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap instrumentPicture(const QSize& size)
{
    QPixmap picture(size);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(255, 249, 252));
    sky.setColorAt(1, QColor(253, 219, 238));
    p.fillRect(QRectF(0, 0, w, h), sky);

    // A staff with a few notes rising across it.
    const qreal staffTop = h * 0.12;
    const qreal gap = h * 0.045;
    p.setPen(QPen(QColor(128, 0, 128, 150), 1.2));
    for (int line = 0; line < 5; ++line)
        p.drawLine(QPointF(w * 0.06, staffTop + line * gap), QPointF(w * 0.94, staffTop + line * gap));
    p.setBrush(QColor(128, 0, 128));
    for (int n = 0; n < 9; ++n) {
        const qreal x = w * (0.14 + n * 0.09);
        const qreal y = staffTop + gap * (4 - (n % 5)) - gap / 2 * (n % 2);
        p.save();
        p.translate(x, y);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), gap * 0.65, gap * 0.45);
        p.restore();
        p.drawLine(QPointF(x + gap * 0.6, y), QPointF(x + gap * 0.6, y - gap * 3));
    }

    // The keyboard: two octaves and a bit, white keys with black ones above.
    const int whiteCount = 17;
    const QRectF keys(w * 0.06, h * 0.46, w * 0.88, h * 0.46);
    const qreal kw = keys.width() / whiteCount;
    p.setPen(QPen(QColor(64, 0, 0), 1.5));
    p.setBrush(Qt::white);
    for (int i = 0; i < whiteCount; ++i)
        p.drawRoundedRect(QRectF(keys.left() + i * kw, keys.top(), kw, keys.height()), 3, 3);
    const bool blackAfter[7] = {true, true, false, true, true, true, false};
    p.setBrush(QColor(64, 0, 0));
    for (int i = 0; i < whiteCount - 1; ++i) {
        if (blackAfter[i % 7])
            p.drawRoundedRect(QRectF(keys.left() + (i + 0.68) * kw, keys.top(), kw * 0.64, keys.height() * 0.6), 2, 2);
    }
    // One key shown down, in the colour of a pressed key.
    p.setBrush(QColor(255, 255, 192));
    p.drawRoundedRect(QRectF(keys.left() + 4 * kw, keys.top(), kw, keys.height()), 3, 3);
    p.setBrush(QColor(64, 0, 0));
    p.drawRoundedRect(QRectF(keys.left() + 3.68 * kw, keys.top(), kw * 0.64, keys.height() * 0.6), 2, 2);
    p.drawRoundedRect(QRectF(keys.left() + 4.68 * kw, keys.top(), kw * 0.64, keys.height() * 0.6), 2, 2);
    return picture;
}
