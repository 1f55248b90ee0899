#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>

#include <cstdint>

class QFont;
class QString;
namespace color {
struct Dib;
}

// The picker's drawing surface: an image that keeps everything drawn on it
// until it is cleared, shown by the dialog and read back pixel by pixel.
// Rectangles follow the desktop convention: right and bottom excluded.
class ColourSurface {
public:
    ColourSurface(int width, int height, const QColor& background);

    const QImage& image() const { return image_; }
    const QColor& background() const { return background_; }

    // Fills the whole surface with the background colour.
    void clear();
    // A bitmap copied 1:1 with its top-left corner at (left, top);
    // mirrored puts image column w at display column width - 1 - w.
    void drawDib(const color::Dib& dib, int left, int top, bool mirrored = false);
    // Inverting figures: drawn twice at the same place they leave no trace.
    void invertCircle(int x, int y, int radius);
    void invertLine(int x1, int y, int x2, int width);
    // Sunken edges in the palette's shadow and light colours: inner only, or
    // both rings (soft: the darkest colour outside).
    void sunkenInnerEdge(int left, int top, int right, int bottom, const QPalette& palette);
    void sunkenEdge(int left, int top, int right, int bottom, const QPalette& palette, bool soft);
    // A filled rectangle with a one-pixel outline on its inner border.
    void rectangle(int left, int top, int right, int bottom, const QColor& fill, const QColor& outline);
    // An outline of the given thickness centred on the rectangle's border.
    void outline(int left, int top, int right, int bottom, int thickness, const QColor& colour);
    // Text whose top-left corner is at (x, y); returns the line height.
    int text(int x, int y, const QString& text, const QFont& font, const QColor& colour);

    // The packed colour at (x, y); -1 outside the surface.
    std::int32_t colourAt(int x, int y) const;

private:
    void line(int x1, int y1, int x2, int y2, const QColor& colour);

    QImage image_;
    QColor background_;
};
