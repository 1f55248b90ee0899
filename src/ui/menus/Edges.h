#pragma once

#include <QRect>

class QPainter;

// Three-dimensional edges and frame controls in the desktop's colours: raised
// edges light at the top and left and dark at the bottom and right, sunken
// ones the other way round; the flags choose the sides and borders.
namespace Edges {
void drawEdge(QPainter& dc, QRect r, int edge, int Flags);
void drawFrameControl(QPainter& dc, const QRect& r, int Type_, int Style);
}  // namespace Edges
