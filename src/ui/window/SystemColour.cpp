#include "ui/window/SystemColour.h"

#include "ui/window/QtColour.h"

#include <QApplication>
#include <QPalette>

namespace SystemColour {

QColor ofIndex(int index)
{
    const QPalette p = QApplication::palette();
    switch (index) {
    case 0: return p.color(QPalette::Window);            // scroll bar
    case 1: return p.color(QPalette::Dark);              // desktop
    case 2: case 3: return p.color(QPalette::Highlight);  // caption
    case 4: return QApplication::palette("QMenu").color(QPalette::Window);   // menu
    case 5: return p.color(QPalette::Base);              // window
    case 6: return p.color(QPalette::Shadow);            // window frame
    case 7: return QApplication::palette("QMenu").color(QPalette::WindowText);  // menu text
    case 8: return p.color(QPalette::Text);              // window text
    case 9: return p.color(QPalette::HighlightedText);   // caption text
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);           // button face
    case 16: return p.color(QPalette::Dark);             // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 20: return p.color(QPalette::Light);            // button highlight
    case 21: return p.color(QPalette::Shadow);           // 3D dark shadow
    case 22: return p.color(QPalette::Midlight);         // 3D light
    case 23: return p.color(QPalette::ToolTipText);
    case 24: return p.color(QPalette::ToolTipBase);
    case 29: return p.color(QPalette::Highlight);        // menu highlight
    case 30: return QApplication::palette("QMenuBar").color(QPalette::Window);  // menu bar
    default: return p.color(QPalette::Window);
    }
}

std::int32_t translate(std::int32_t colour)
{
    if (colour == none)
        return none;
    if (colour & systemBit)
        return packedColour(ofIndex(colour & 0xFF));
    return colour & 0x00FFFFFF;
}

std::optional<QColor> shown(std::int32_t colour)
{
    if (colour & systemBit) {
        const int index = colour & 0x7FFFFFFF;
        if (index > 30)
            return std::nullopt;
        return ofIndex(index);
    }
    if (colour > 0xFFFFFF)
        return std::nullopt;
    return qColour(colour);
}

QColor toQColor(std::int32_t colour)
{
    return colour == none ? QColor() : qColour(translate(colour));
}

}  // namespace SystemColour
