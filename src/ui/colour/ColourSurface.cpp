#include "ui/colour/ColourSurface.h"

#include "ui/window/QtColour.h"
#include "logic/colour/ColourImages.h"

#include <QFontMetrics>
#include <QPainter>

ColourSurface::ColourSurface(int width, int height, const QColor& background)
    : image_(width, height, QImage::Format_RGB32), background_(background)
{
    clear();
}

void ColourSurface::clear()
{
    image_.fill(background_);
}

void ColourSurface::drawDib(const color::Dib& dib, int left, int top, bool mirrored)
{
    // The bitmap is stored bottom-up; flipping it puts its top row at the top.
    const QImage stored(dib.bits.data(), dib.width, dib.height, dib.stride, QImage::Format_BGR888);
    QPainter p(&image_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(left, top, stored.mirrored(mirrored, true));
}

void ColourSurface::invertCircle(int x, int y, int radius)
{
    QPainter p(&image_);
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(x, y), radius, radius);
}

void ColourSurface::invertLine(int x1, int y, int x2, int width)
{
    // A flat line of `width` rows from x1 up to, not including, x2.
    const int left = std::min(x1, x2) + (x2 < x1 ? 1 : 0);
    const int length = std::abs(x2 - x1);
    QPainter p(&image_);
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.fillRect(QRect(left, y - width / 2, length, width), Qt::black);
}

void ColourSurface::line(int x1, int y1, int x2, int y2, const QColor& colour)
{
    QPainter p(&image_);
    p.setPen(QPen(colour, 1));
    p.drawLine(x1, y1, x2, y2);
}

void ColourSurface::sunkenInnerEdge(int left, int top, int right, int bottom, const QPalette& palette)
{
    const QColor dark = palette.color(QPalette::Shadow);
    const QColor light = palette.color(QPalette::Midlight);
    line(left, bottom - 1, right - 1, bottom - 1, light);
    line(right - 1, top, right - 1, bottom - 1, light);
    line(left, top, right - 2, top, dark);
    line(left, top, left, bottom - 2, dark);
}

void ColourSurface::sunkenEdge(int left, int top, int right, int bottom, const QPalette& palette, bool soft)
{
    const QColor outerDark = palette.color(soft ? QPalette::Shadow : QPalette::Dark);
    const QColor innerDark = palette.color(soft ? QPalette::Dark : QPalette::Shadow);
    const QColor outerLight = palette.color(QPalette::Light);
    const QColor innerLight = palette.color(QPalette::Midlight);
    line(left, bottom - 1, right - 1, bottom - 1, outerLight);
    line(right - 1, top, right - 1, bottom - 1, outerLight);
    line(left, top, right - 2, top, outerDark);
    line(left, top, left, bottom - 2, outerDark);
    ++left;
    ++top;
    --right;
    --bottom;
    line(left, bottom - 1, right - 1, bottom - 1, innerLight);
    line(right - 1, top, right - 1, bottom - 1, innerLight);
    line(left, top, right - 2, top, innerDark);
    line(left, top, left, bottom - 2, innerDark);
}

void ColourSurface::rectangle(int left, int top, int right, int bottom, const QColor& fill, const QColor& outline)
{
    QPainter p(&image_);
    p.setPen(QPen(outline, 1));
    p.setBrush(fill);
    p.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void ColourSurface::outline(int left, int top, int right, int bottom, int thickness, const QColor& colour)
{
    // Centred on the one-pixel outline that runs from left to right - 1.
    const int before = thickness / 2;
    const QRect outer(left - before, top - before, right - left + thickness - 1, bottom - top + thickness - 1);
    QPainter p(&image_);
    p.fillRect(QRect(outer.left(), outer.top(), outer.width(), thickness), colour);
    p.fillRect(QRect(outer.left(), outer.bottom() - thickness + 1, outer.width(), thickness), colour);
    p.fillRect(QRect(outer.left(), outer.top(), thickness, outer.height()), colour);
    p.fillRect(QRect(outer.right() - thickness + 1, outer.top(), thickness, outer.height()), colour);
}

int ColourSurface::text(int x, int y, const QString& text, const QFont& font, const QColor& colour)
{
    QPainter p(&image_);
    p.setFont(font);
    p.setPen(colour);
    const QFontMetrics metrics(font);
    p.drawText(x, y + metrics.ascent(), text);
    return metrics.height();
}

std::int32_t ColourSurface::colourAt(int x, int y) const
{
    if (!image_.rect().contains(x, y))
        return -1;
    return packedColour(QColor(image_.pixel(x, y)));
}
