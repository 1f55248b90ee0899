#include "ui/menus/MenuItemPainter.h"

#include "logic/base/NumberText.h"
#include "ui/window/SystemColour.h"
#include "ui/menus/GdiConstants.h"
#include "ui/menus/ImageList.h"
#include "ui/menus/MenuGlyphs.h"
#include "logic/menus/MenuText.h"
#include "ui/menus/cMemDC.h"
#include "ui/menus/cMenus.h"

#include <QAction>

namespace MenuItemPainter {

namespace {
constexpr int centred = Gdi::DT_CENTER | Gdi::DT_VCENTER | Gdi::DT_SINGLELINE | Gdi::DT_NOCLIP;  // 0x125
constexpr int leftFlags = Gdi::DT_NOCLIP;                                                     // 0x100
constexpr int rightFlags = Gdi::DT_RIGHT | Gdi::DT_NOCLIP;                                    // 0x102
constexpr int shortcutFlags = Gdi::DT_VCENTER | Gdi::DT_SINGLELINE | Gdi::DT_NOCLIP;          // 0x124
constexpr std::int32_t black = 0;
constexpr std::int32_t white = 0xFFFFFF;

int half(double v)
{
    return static_cast<int>(NumberText::roundHalfEven(v));
}

QString shortcutOf(const clsStoreMenu& item)
{
    return QString::fromStdString(MenuText::displayed(item.KeyAccel.toStdString()));
}

void text(cMemDC& dc, const QString& s, int l, int t, int r, int b, int flags)
{
    dc.DrawText(s, l, t, r, b, flags);
}

// The check mark or bullet of an item in a box; false for other styles.
bool glyph(cMemDC& dc, int style, const QRect& box, std::int32_t colour)
{
    const QColor c = SystemColour::toQColor(colour);
    if (style == 0)
        MenuGlyphs::drawCheck(*dc.hDC(), box, c);
    else if (style == 1)
        MenuGlyphs::drawBullet(*dc.hDC(), box, c);
    else
        return false;
    return true;
}

// Black where the picture is black, the shadow colour everywhere else.
Picture silhouette(const Picture& picture)
{
    cMemDC dc;
    dc.Init(picture.size.width(), picture.size.height());
    dc.PaintPicture(picture, 0, 0, 0, 0, 0, 0, Gdi::SRCCOPY, SystemColour::none);
    const std::int32_t shade = SystemColour::translate(shadow);
    for (int y = 0; y < dc.Height(); ++y)
        for (int x = 0; x < dc.Width(); ++x)
            if (dc.GetPixel(x, y) != black)
                dc.SetPixel(x, y, shade);
    return dc.Image();
}

Picture pictureOf(const cMenus& engine, const clsStoreMenu& item)
{
    if (item.Image.isEmpty() || !engine.imageList())
        return Picture();
    return engine.imageList()->picture(item.Image);
}

void drawBarStyle1(cMemDC& dc, const clsStoreMenu& item, int w, int h, int state)
{
    dc.setForeColor(black);
    if (state & cMenus::selectedState) {
        dc.FillRect(0, 0, w, h, iconColumn);
        dc.DrawLine(0, 0, w, 0, shadow);
        dc.DrawLine(0, 0, 0, h, shadow);
        dc.DrawLine(w - 1, 0, w - 1, h, shadow);
    } else if (state & cMenus::hotState) {
        dc.Rectangle(0, 0, w, h, selectionFill, Qt::NoBrush, selectionBorder);
    } else {
        dc.FillRect(0, 0, w, h, face);
    }
    text(dc, item.Caption, 0, 0, w, h, centred);
}

void drawPopupStyle1(const cMenus& engine, cMemDC& dc, const clsStoreMenu& item, int w, int h, int state)
{
    const bool rtl = engine.RightToLeft();
    const bool grayed = state & cMenus::grayedState;
    const bool selected = state & cMenus::selectedState;
    dc.FillRect(0, 0, w, h, itemBackground);
    if (rtl)
        dc.FillRect(w - 24, 0, w, h, iconColumn);
    else
        dc.FillRect(0, 0, 24, h, iconColumn);
    if (item.Separator) {
        if (rtl)
            dc.DrawLine(w - 29, 4, 0, 4, shadow);
        else
            dc.DrawLine(29, 4, w, 4, shadow);
        return;
    }
    const int textTop = half((h - dc.TextHeight(item.Caption)) / 2.0);
    const int iconTop = half((h - 16) / 2.0);
    if (grayed) {
        dc.setForeColor(shadow);
    } else {
        dc.setForeColor(black);
        if (selected)
            dc.Rectangle(1, 0, w - 1, h, selectionFill, Qt::NoBrush, selectionBorder);
    }
    if (rtl)
        text(dc, item.Caption, 0, textTop, w - 32, h, rightFlags);
    else
        text(dc, item.Caption, 32, textTop, w, h, leftFlags);
    const QString shortcut = shortcutOf(item);
    if (!shortcut.isEmpty()) {
        if (rtl)
            text(dc, shortcut, 9, 0, w, h, shortcutFlags);
        else
            text(dc, shortcut, w - dc.TextWidth(shortcut) - 9, 0, w, h, shortcutFlags);
    }
    bool glyphDrawn = false;
    if (state & cMenus::checkedState) {
        if (!grayed) {
            const std::int32_t fill = selected ? selectionFill : checkBoxFill;
            if (rtl)
                dc.Rectangle(w - 23, 1, w - 2, h - 1, fill, Qt::NoBrush, selectionBorder);
            else
                dc.Rectangle(2, 1, 23, h - 1, fill, Qt::NoBrush, selectionBorder);
        }
        const QRect box = rtl ? QRect(w - 24, 0, 22, h) : QRect(2, 0, 18, h);
        glyphDrawn = glyph(dc, item.CheckedStyle, box, grayed ? shadow : black);
    }
    const Picture picture = pictureOf(engine, item);
    if (glyphDrawn || picture.isNull())
        return;
    const int x = rtl ? w - 20 : 4;
    if (grayed) {
        dc.PaintDisabledPicture(picture, x, iconTop, 16, 16, 0, 0, white, light, shadow);
    } else if (selected && !rtl) {
        // The icon lifts up and to the left over its own shadow.
        dc.PaintPicture(silhouette(picture), 4, iconTop + 2, 16, 16, 0, 0, Gdi::SRCCOPY, black);
        dc.PaintPicture(picture, 2, iconTop, 16, 16);
    } else {
        dc.PaintPicture(picture, x, iconTop, 16, 16);
    }
}

void drawBarStyle0(cMemDC& dc, const clsStoreMenu& item, int w, int h, int state)
{
    dc.FillRect(0, 0, w, h, face);
    if (state & cMenus::grayedState) {
        dc.setForeColor(white);
        text(dc, item.Caption, 1, 1, w + 1, h + 1, centred);
        dc.setForeColor(shadow);
        text(dc, item.Caption, 1, 1, w, h, centred);
        return;
    }
    if (state & cMenus::selectedState)
        dc.DrawEdge(0, 0, w, h, Gdi::BDR_SUNKENOUTER, Gdi::BF_RECT);
    else if (state & cMenus::hotState)
        dc.DrawEdge(0, 0, w, h, Gdi::BDR_RAISEDINNER, Gdi::BF_RECT);
    dc.setForeColor(black);
    text(dc, item.Caption, 0, 0, w, h, centred);
}

void drawPopupStyle0(const cMenus& engine, cMemDC& dc, const clsStoreMenu& item, const QRect& rect, int state)
{
    const int w = rect.width();
    const int h = rect.height();
    const bool rtl = engine.RightToLeft();
    const bool grayed = state & cMenus::grayedState;
    const bool selected = state & cMenus::selectedState;
    const bool checked = state & cMenus::checkedState;
    dc.FillRect(0, 0, w, h, engine.BackColor);
    const Picture& tile = engine.BackGroundPicture();
    if (!tile.isNull() && tile.size.width() > 0 && tile.size.height() > 0) {
        // Tiles line up across the whole menu, whatever the item.
        const int pw = tile.size.width();
        const int ph = tile.size.height();
        for (int y = -(rect.top() % ph); y < h; y += ph)
            for (int x = -(rect.left() % pw); x < w; x += pw)
                dc.PaintPicture(tile, x, y);
    }
    if (item.Separator) {
        dc.DrawLine(0, 4, w, 4, shadow);
        dc.DrawLine(0, 5, w, 5, white);
        return;
    }
    const Picture picture = pictureOf(engine, item);
    const int textTop = half((h - dc.TextHeight(item.Caption)) / 2.0);
    const int iconTop = half((h - 16) / 2.0);
    const QString shortcut = shortcutOf(item);
    const auto captionAndShortcut = [&](int dx, int dy) {
        if (rtl)
            text(dc, item.Caption, 0, textTop + dy, w - 23 + dx, h, rightFlags);
        else
            text(dc, item.Caption, 23 + dx, textTop + dy, w, h, leftFlags);
        if (!shortcut.isEmpty()) {
            const int x = rtl ? 9 + dx : w - dc.TextWidth(shortcut) - 9 + dx;
            text(dc, shortcut, x, dy, w, h + dy, shortcutFlags);
        }
    };
    if (grayed) {
        // Engraved: white, then the shadow colour one pixel up and to the left.
        dc.setForeColor(white);
        captionAndShortcut(0, 0);
        dc.setForeColor(shadow);
        captionAndShortcut(-1, -1);
    } else {
        if (selected) {
            if (picture.isNull())
                dc.FillRect(0, 0, w, h, engine.HighlightColor);
            else if (rtl)
                dc.FillRect(0, 0, w - 21, h, engine.HighlightColor);
            else
                dc.FillRect(21, 0, w, h, engine.HighlightColor);
        }
        dc.setForeColor(selected ? engine.HighlightForeColor : engine.ForeColor);
        captionAndShortcut(0, 0);
    }
    const QRect box = rtl ? QRect(w - 20, 0, 19, h) : QRect(1, 0, 19, h);
    bool glyphDrawn = false;
    if (checked) {
        dc.FillRect(box.left(), 0, box.right() + 1, h, selected ? engine.checkBoxTint() : face);
        dc.DrawEdge(box.left(), 0, box.right() + 1, h, Gdi::BDR_SUNKENOUTER, Gdi::BF_RECT);
        glyphDrawn = glyph(dc, item.CheckedStyle, box, black);
    }
    if (glyphDrawn || picture.isNull())
        return;
    if (selected && !checked)
        dc.DrawEdge(box.left(), 0, box.right() + 1, h, Gdi::BDR_RAISEDINNER, Gdi::BF_RECT);
    const int x = rtl ? w - 19 : 3;
    if (grayed)
        dc.PaintDisabledPicture(picture, x, iconTop, 16, 16, 0, 0, white, light, shadow);
    else
        dc.PaintPicture(picture, x, iconTop, 16, 16);
}
}  // namespace

QSize measure(const cMenus& engine, const clsStoreMenu& item)
{
    const int standard = engine.standardItemHeight();
    if (item.Separator)
        return {0, 9};
    cMemDC& dc = engine.measuringSurface();
    const int caption = dc.TextWidth(item.Caption);
    if (item.TopMenu)
        return {caption, standard};
    const QString shortcut = shortcutOf(item);
    const bool flat = engine.DrawStyle() == 1;
    if (shortcut.isEmpty())
        return {caption + (flat ? 32 : 23), standard};
    return {caption + dc.TextWidth(shortcut) + (flat ? 52 : 32), standard};
}

void draw(const cMenus& engine, const clsStoreMenu& item, QPainter* target, const QRect& rect, int state)
{
    if (!target || rect.isEmpty())
        return;
    cMemDC dc;
    dc.Init(rect.width(), rect.height());
    dc.setBackStyle(Gdi::TRANSPARENT);
    dc.setFont(engine.Font());
    const bool flat = engine.DrawStyle() == 1;
    if (item.TopMenu) {
        if (flat)
            drawBarStyle1(dc, item, rect.width(), rect.height(), state);
        else
            drawBarStyle0(dc, item, rect.width(), rect.height(), state);
    } else if (flat) {
        drawPopupStyle1(engine, dc, item, rect.width(), rect.height(), state);
    } else {
        drawPopupStyle0(engine, dc, item, rect, state);
    }
    dc.BitBlt(target, rect.left(), rect.top(), rect.width(), rect.height(), 0, 0, Gdi::SRCCOPY);
}

}  // namespace MenuItemPainter
