#include "ui/menus/FontRecord.h"

#include <algorithm>

QFont FontRecord::toQFont() const
{
    QFont f(Name);
    if (Size > 0)
        f.setPointSizeF(Size);
    f.setItalic(Italic);
    f.setUnderline(Underline);
    f.setStrikeOut(Strikethrough);
    const int weight = Weight > 0 ? std::clamp(Weight, 100, 900) : (Bold ? 700 : 400);
    f.setWeight(static_cast<QFont::Weight>(weight));
    return f;
}

FontRecord FontRecord::fromQFont(const QFont& font)
{
    FontRecord r;
    r.Name = font.family();
    r.Size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    r.Weight = static_cast<int>(font.weight());
    r.Bold = r.Weight >= 600;
    r.Italic = font.italic();
    r.Underline = font.underline();
    r.Strikethrough = font.strikeOut();
    return r;
}
