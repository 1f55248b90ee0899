#pragma once

class QColor;
class QPainter;
class QRect;

// The check mark and the bullet of menu items, drawn as shapes centred in a box.
namespace MenuGlyphs {
void drawCheck(QPainter& painter, const QRect& box, const QColor& colour);
void drawBullet(QPainter& painter, const QRect& box, const QColor& colour);
void drawArrow(QPainter& painter, const QRect& box, const QColor& colour);
}  // namespace MenuGlyphs
