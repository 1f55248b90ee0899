#pragma once

#include <QFont>

#include <cstdint>

class QLabel;
class QWidget;

// Helpers that put controls at their design places, in twips, with the
// design's fonts and colours (packed red + 256 green + 65536 blue).
namespace DesignLayout {

void place(QWidget* w, int left, int top, int width, int height);
void setClientSize(QWidget* w, int width, int height);
QFont designFont(const char* family, double points, bool bold = false);
void setTextColour(QWidget* w, std::int32_t colour);
void setBackground(QWidget* w, std::int32_t colour);
// A button face of its own colour.
void setButtonColour(QWidget* w, std::int32_t colour);
QLabel* label(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height,
              const QFont& font);
// Sets the text of a word-wrapping label in the largest size of the font,
// down to smallestPoints, at which all of it fits the label; the whole
// text is its tooltip as well.
void fitWrappedText(QLabel* l, const QString& text, const QFont& font, double smallestPoints);

}  // namespace DesignLayout
