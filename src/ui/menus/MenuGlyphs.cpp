#include "ui/menus/MenuGlyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace MenuGlyphs {

void drawCheck(QPainter& painter, const QRect& box, const QColor& colour)
{
    // A tick of about 7 x 7 pixels in a 16-pixel box, two pixels thick.
    const int side = std::max(5, std::min(box.width(), box.height()) * 7 / 16);
    const QPointF c = QRectF(box).center();
    const qreal h = side / 2.0;
    QPainterPath path;
    path.moveTo(c.x() - h, c.y());
    path.lineTo(c.x() - h / 3, c.y() + h * 2 / 3);
    path.lineTo(c.x() + h, c.y() - h * 2 / 3);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

void drawBullet(QPainter& painter, const QRect& box, const QColor& colour)
{
    const int d = std::max(3, std::min(box.width(), box.height()) * 5 / 16);
    const QPointF c = QRectF(box).center();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(c, d / 2.0, d / 2.0);
    painter.restore();
}

void drawArrow(QPainter& painter, const QRect& box, const QColor& colour)
{
    const int h = std::max(3, std::min(box.width(), box.height()) / 4);
    const QPointF c = QRectF(box).center();
    QPolygonF triangle;
    triangle << QPointF(c.x() - h / 2.0, c.y() - h) << QPointF(c.x() + h / 2.0, c.y())
             << QPointF(c.x() - h / 2.0, c.y() + h);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(triangle);
    painter.restore();
}

}  // namespace MenuGlyphs
