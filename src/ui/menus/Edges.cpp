#include "ui/menus/Edges.h"

#include "ui/window/SystemColour.h"
#include "ui/menus/GdiConstants.h"
#include "ui/menus/MenuGlyphs.h"

#include <QPainter>

namespace Edges {

void drawEdge(QPainter& dc, QRect r, int edge, int Flags)
{
    // Outer border first, then the inner one just inside it.
    struct Border {
        int bit;
        int topLeft;
        int bottomRight;
    };
    const Border borders[2][2] = {{{Gdi::BDR_RAISEDOUTER, 22, 21}, {Gdi::BDR_SUNKENOUTER, 16, 20}},
                                  {{Gdi::BDR_RAISEDINNER, 20, 16}, {Gdi::BDR_SUNKENINNER, 21, 22}}};
    for (const auto& layer : borders) {
        for (const Border& b : layer) {
            if (!(edge & b.bit))
                continue;
            const bool flat = Flags & (Gdi::BF_FLAT | Gdi::BF_MONO);
            const QColor tl = SystemColour::ofIndex(flat ? 16 : b.topLeft);
            const QColor br = SystemColour::ofIndex(flat ? 16 : b.bottomRight);
            if (Flags & Gdi::BF_TOP)
                dc.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
            if (Flags & Gdi::BF_LEFT)
                dc.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
            if (Flags & Gdi::BF_BOTTOM)
                dc.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
            if (Flags & Gdi::BF_RIGHT)
                dc.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
        }
        r.adjust(Flags & Gdi::BF_LEFT ? 1 : 0, Flags & Gdi::BF_TOP ? 1 : 0, Flags & Gdi::BF_RIGHT ? -1 : 0,
                 Flags & Gdi::BF_BOTTOM ? -1 : 0);
    }
    if (Flags & Gdi::BF_MIDDLE)
        dc.fillRect(r, SystemColour::ofIndex(15));
}

void drawFrameControl(QPainter& dc, const QRect& r, int Type_, int Style)
{
    if (Type_ == Gdi::DFC_MENU) {
        // Menu glyphs come black on white, ready to be used as a mask.
        dc.fillRect(r, Qt::white);
        if ((Style & 0xF) == Gdi::DFCS_MENUCHECK)
            MenuGlyphs::drawCheck(dc, r, Qt::black);
        else if ((Style & 0xF) == Gdi::DFCS_MENUBULLET)
            MenuGlyphs::drawBullet(dc, r, Qt::black);
        else
            MenuGlyphs::drawArrow(dc, r, Qt::black);
        return;
    }
    if (Type_ == Gdi::DFC_BUTTON) {
        const bool inactive = Style & Gdi::DFCS_INACTIVE;
        if (Style & Gdi::DFCS_BUTTONPUSH) {
            drawEdge(dc, r, Style & Gdi::DFCS_PUSHED ? Gdi::EDGE_SUNKEN : Gdi::EDGE_RAISED,
                     Gdi::BF_RECT | Gdi::BF_MIDDLE);
            return;
        }
        dc.fillRect(r.adjusted(2, 2, -2, -2), inactive || (Style & Gdi::DFCS_PUSHED) ? SystemColour::ofIndex(15)
                                                                                         : QColor(Qt::white));
        drawEdge(dc, r, Gdi::EDGE_SUNKEN, Gdi::BF_RECT);
        const QColor mark = inactive ? SystemColour::ofIndex(17) : SystemColour::ofIndex(8);
        if (Style & Gdi::DFCS_CHECKED) {
            if (Style & Gdi::DFCS_BUTTONRADIO)
                MenuGlyphs::drawBullet(dc, r, mark);
            else
                MenuGlyphs::drawCheck(dc, r, mark);
        }
    }
}

}  // namespace Edges
