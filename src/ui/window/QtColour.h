#pragma once

#include "logic/base/Rgb.h"

#include <QColor>

inline QColor qColour(std::int32_t packed)
{
    return QColor(redOf(packed), greenOf(packed), blueOf(packed));
}

inline std::int32_t packedColour(const QColor& c)
{
    return rgb(c.red(), c.green(), c.blue());
}
