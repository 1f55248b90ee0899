#include "colour/SystemColours.h"

#include "app/QtColour.h"
#include "colour/ColourModel.h"

#include <QGuiApplication>

namespace {
// Desktop colour indexes and the palette roles that play their part here;
// "window" is the background of text areas and windows' client areas, Qt's Base.
std::optional<QPalette::ColorRole> roleOf(int index)
{
    switch (index) {
    case 4: return QPalette::Window;        // menu
    case 5: return QPalette::Base;          // window
    case 7: return QPalette::WindowText;    // menu text
    case 13: return QPalette::Highlight;    // highlight
    case 15: return QPalette::Button;       // button face
    case 16: return QPalette::Dark;         // button shadow
    case 20: return QPalette::Light;        // button highlight
    default: return std::nullopt;
    }
}
}  // namespace

std::optional<QColor> screenColour(std::int32_t packed, const QPalette& palette)
{
    if (const auto index = color::systemColourIndex(packed)) {
        const auto role = roleOf(*index);
        if (!role)
            return std::nullopt;
        return palette.color(QPalette::Active, *role);
    }
    if (packed > 0xFFFFFF)
        return std::nullopt;
    return qColour(packed);
}

std::optional<QColor> screenColour(std::int32_t packed)
{
    return screenColour(packed, QGuiApplication::palette());
}
