#include "ui/menus/cMemDC.h"

#include "logic/base/NumberText.h"
#include "ui/window/QtColour.h"
#include "ui/window/SystemColour.h"
#include "ui/menus/GdiConstants.h"
#include "ui/menus/Edges.h"
#include "ui/menus/RasterOps.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLinearGradient>

#include <cmath>
#include <numbers>

using RasterOps::blit;
using RasterOps::modeOfDrawMode;
using RasterOps::modeOfRop;
using RasterOps::rgbOf;
using RasterOps::withoutColour;

cMemDC::~cMemDC()
{
    Destroy();
}

QPainter* cMemDC::Init(int PixelWidth, int PixelHeight, QPainter* hParentDC, QPainter* hMemoryDC)
{
    if (IsCreated())
        Destroy();
    width_ = PixelWidth;
    height_ = PixelHeight;
    parent_ = hParentDC;
    if (hMemoryDC) {
        lent_ = true;
        dc_ = hMemoryDC;
        dc_->save();  // what the lender had is put back by Destroy
    } else {
        image_ = std::make_unique<QImage>(std::max(1, PixelWidth), std::max(1, PixelHeight), QImage::Format_RGB32);
        image_->fill(Qt::black);
        ownPainter_ = std::make_unique<QPainter>(image_.get());
        dc_ = ownPainter_.get();
        // A fresh surface draws with a black pen and fills white.
        dc_->setPen(QPen(Qt::black, 1));
        dc_->setBrush(Qt::white);
        dc_->setFont(QApplication::font());
    }
    initialBrush_ = dc_->brush();
    initialPen_ = dc_->pen();
    initialFont_ = dc_->font();
    if (hParentDC) {
        backColor_ = packedColour(hParentDC->background().color());
        foreColor_ = packedColour(hParentDC->pen().color());
        dc_->setBackgroundMode(hParentDC->backgroundMode());
        dc_->setFont(hParentDC->font());
    } else {
        foreColor_ = 0;
        backColor_ = 0xFFFFFF;
    }
    dc_->setBackground(qcolour(backColor_));
    return dc_;
}

void cMemDC::Destroy()
{
    if (!dc_)
        return;
    if (lent_) {
        dc_->restore();
    } else {
        ownPainter_->end();
        ownPainter_.reset();
        image_.reset();
    }
    dc_ = nullptr;
    parent_ = nullptr;
    lent_ = false;
    brushSet_ = false;
    penSet_ = false;
    dotBrush_.reset();
    width_ = 0;
    height_ = 0;
    drawMode_ = Gdi::R2_COPYPEN;
}

QColor cMemDC::qcolour(std::int32_t colour) const
{
    return SystemColour::toQColor(colour);
}

std::int32_t cMemDC::TranslateColor(std::int32_t clrColor) const
{
    return SystemColour::translate(clrColor);
}

void cMemDC::defaultRect(int LeftX, int TopY, int& RightX, int& BottomY) const
{
    if (RightX < LeftX)
        RightX = width_;
    if (BottomY < TopY)
        BottomY = height_;
}

QImage cMemDC::sourceImage() const
{
    if (image_)
        return image_->copy();
    if (!dc_ || !dc_->device())
        return {};
    QPaintDevice* device = dc_->device();
    if (device->devType() == QInternal::Image)
        return static_cast<QImage*>(device)->copy();
    if (device->devType() == QInternal::Pixmap)
        return static_cast<QPixmap*>(device)->toImage();
    return {};
}

int cMemDC::FontHeight() const
{
    return dc_ ? QFontMetrics(dc_->font()).height() : 0;
}

FontRecord cMemDC::Font() const
{
    return FontRecord::fromQFont(dc_ ? dc_->font() : QApplication::font());
}

void cMemDC::setFont(const FontRecord& font)
{
    if (dc_)
        dc_->setFont(font.toQFont());
}

void cMemDC::setForeColor(std::int32_t colour)
{
    foreColor_ = TranslateColor(colour);
}

void cMemDC::setBackColor(std::int32_t colour)
{
    backColor_ = TranslateColor(colour);
    if (dc_)
        dc_->setBackground(qcolour(backColor_));
}

int cMemDC::BackStyle() const
{
    return dc_ && dc_->backgroundMode() == Qt::OpaqueMode ? Gdi::OPAQUE : Gdi::TRANSPARENT;
}

void cMemDC::setBackStyle(int style)
{
    if (dc_)
        dc_->setBackgroundMode(style == Gdi::OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
}

QBrush cMemDC::DotBrush()
{
    if (!dotBrush_)
        dotBrush_ = QBrush(Qt::Dense4Pattern);
    return *dotBrush_;
}

QBrush cMemDC::Brush() const
{
    return dc_ ? dc_->brush() : QBrush();
}

void cMemDC::setBrush(const QBrush& brush)
{
    if (!dc_)
        return;
    brushSet_ = brush.style() != Qt::NoBrush;
    dc_->setBrush(brushSet_ ? brush : initialBrush_);
}

QPen cMemDC::Pen() const
{
    return dc_ ? dc_->pen() : QPen();
}

void cMemDC::setPen(const QPen& pen)
{
    if (!dc_)
        return;
    penSet_ = pen.style() != Qt::NoPen;
    dc_->setPen(penSet_ ? pen : initialPen_);
}

void cMemDC::setDrawMode(int mode)
{
    drawMode_ = mode;
}

void cMemDC::applyDrawMode()
{
    dc_->setCompositionMode(modeOfDrawMode(drawMode_));
}

Picture cMemDC::Image() const
{
    return Picture::fromImage(sourceImage());
}

FontRecord cMemDC::SystemIconFont()
{
    return FontRecord::fromQFont(QApplication::font("QAbstractItemView"));
}

FontRecord cMemDC::SystemMenuFont()
{
    return FontRecord::fromQFont(QApplication::font("QMenu"));
}

QImage cMemDC::DetachBitmap(const QImage& newImage)
{
    if (!image_)
        return {};
    const QPen pen = dc_->pen();
    const QBrush brush = dc_->brush();
    const QFont font = dc_->font();
    ownPainter_->end();
    QImage old = *image_;
    *image_ = newImage.isNull() ? QImage(1, 1, QImage::Format_RGB32) : newImage.convertToFormat(QImage::Format_RGB32);
    ownPainter_->begin(image_.get());
    dc_->setPen(pen);
    dc_->setBrush(brush);
    dc_->setFont(font);
    width_ = image_->width();
    height_ = image_->height();
    return old;
}

void cMemDC::Cls(std::int32_t clrFill, const QBrush& hbrFill)
{
    FillRect(0, 0, -1, -1, clrFill, hbrFill);
}

void cMemDC::FillRect(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFill, const QBrush& hbrFill)
{
    if (!dc_)
        return;
    defaultRect(LeftX, TopY, RightX, BottomY);
    const QRect r(LeftX, TopY, RightX - LeftX, BottomY - TopY);
    if (clrFill != SystemColour::none) {
        dc_->fillRect(r, qcolour(clrFill));
    } else if (hbrFill.style() == Qt::Dense4Pattern) {
        // A two-colour pattern takes the surface's text and background colours.
        dc_->fillRect(r, qcolour(backColor_));
        dc_->fillRect(r, QBrush(qcolour(foreColor_), Qt::Dense4Pattern));
    } else if (hbrFill.style() != Qt::NoBrush) {
        dc_->fillRect(r, hbrFill);
    }
}

void cMemDC::FillGradient(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFirst,
                          std::int32_t clrSecond, bool bVertical)
{
    if (!dc_)
        return;
    const QColor first = qcolour(clrFirst);
    const QColor second = qcolour(clrSecond);
    if (osVersion_ < 411) {
        // Line by line, the end coordinate included.
        const int start = bVertical ? TopY : LeftX;
        const int end = bVertical ? BottomY : RightX;
        for (int i = start; i <= end; ++i) {
            const double ratio = end == start ? 0.0 : double(i - start) / double(end - start);
            const auto mix = [ratio](int a, int b) {
                return static_cast<int>(NumberText::roundHalfEven((1 - ratio) * a + ratio * b));
            };
            const QColor c(mix(first.red(), second.red()), mix(first.green(), second.green()),
                           mix(first.blue(), second.blue()));
            dc_->fillRect(bVertical ? QRect(LeftX, i, RightX - LeftX, 1) : QRect(i, TopY, 1, BottomY - TopY), c);
        }
        return;
    }
    QLinearGradient g(LeftX, TopY, bVertical ? LeftX : RightX, bVertical ? BottomY : TopY);
    g.setColorAt(0, first);
    g.setColorAt(1, second);
    dc_->fillRect(QRect(LeftX, TopY, RightX - LeftX, BottomY - TopY), g);
}

void cMemDC::DrawEdge(int LeftX, int TopY, int RightX, int BottomY, int edge, int Flags)
{
    if (!dc_)
        return;
    defaultRect(LeftX, TopY, RightX, BottomY);
    Edges::drawEdge(*dc_, QRect(LeftX, TopY, RightX - LeftX, BottomY - TopY), edge, Flags);
}

void cMemDC::DrawFrameControl(int LeftX, int TopY, int RightX, int BottomY, int Type_, int Style)
{
    if (!dc_)
        return;
    defaultRect(LeftX, TopY, RightX, BottomY);
    Edges::drawFrameControl(*dc_, QRect(LeftX, TopY, RightX - LeftX, BottomY - TopY), Type_, Style);
}

void cMemDC::FrameRect(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFill, const QBrush& hbrFill)
{
    if (!dc_)
        return;
    defaultRect(LeftX, TopY, RightX, BottomY);
    const QBrush brush = clrFill != SystemColour::none ? QBrush(qcolour(clrFill)) : hbrFill;
    if (brush.style() == Qt::NoBrush || RightX <= LeftX || BottomY <= TopY)
        return;
    const int w = RightX - LeftX;
    const int h = BottomY - TopY;
    dc_->fillRect(QRect(LeftX, TopY, w, 1), brush);
    dc_->fillRect(QRect(LeftX, BottomY - 1, w, 1), brush);
    dc_->fillRect(QRect(LeftX, TopY, 1, h), brush);
    dc_->fillRect(QRect(RightX - 1, TopY, 1, h), brush);
}

void cMemDC::outline(std::int32_t clr, const QPen& pen)
{
    if (clr != SystemColour::none)
        setPen(QPen(qcolour(clr), 1));
    else if (pen.style() != Qt::NoPen)
        setPen(pen);
}

void cMemDC::DrawLine(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrLine, const QPen& hpnLine)
{
    if (!dc_)
        return;
    if (clrLine != SystemColour::none)
        setPen(QPen(qcolour(clrLine), 1));
    else
        setPen(hpnLine);
    const QPoint from = LeftX >= 0 ? QPoint(LeftX, TopY) : currentPos_;
    const QPoint to(RightX, BottomY);
    currentPos_ = to;
    if (from == to || drawMode_ == Gdi::R2_NOP)
        return;
    // A line ends just before its end point.
    const QPoint d = to - from;
    const double steps = std::max(std::abs(d.x()), std::abs(d.y()));
    const QPointF last(to.x() - d.x() / steps, to.y() - d.y() / steps);
    dc_->save();
    applyDrawMode();
    dc_->drawLine(QPointF(from), last);
    dc_->restore();
}

void cMemDC::BitBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                    std::uint32_t dwRop) const
{
    if (!dc_)
        return;
    blit(hdcDest ? hdcDest : parent_, QPoint(xDest, yDest), sourceImage(),
         QRect(xSrc, ySrc, nWidth ? nWidth : width_, nHeight ? nHeight : height_), dwRop);
}

void cMemDC::LoadBlt(const QImage& hdcSrc, int xSrc, int ySrc, int xDest, int yDest, int nWidth, int nHeight,
                     std::uint32_t dwRop)
{
    if (!dc_)
        return;
    blit(dc_, QPoint(xDest, yDest), hdcSrc, QRect(xSrc, ySrc, nWidth ? nWidth : width_, nHeight ? nHeight : height_),
         dwRop);
}

void cMemDC::StretchBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                        int nSrcWidth, int nSrcHeight, std::uint32_t dwRop) const
{
    QPainter* dest = hdcDest ? hdcDest : parent_;
    if (!dc_ || !dest || nWidth == 0 || nHeight == 0)
        return;
    // A negative width or height mirrors the copy.
    QImage part = sourceImage().copy(xSrc, ySrc, nSrcWidth, nSrcHeight).mirrored(nWidth < 0, nHeight < 0);
    const QRect target(nWidth < 0 ? xDest + nWidth + 1 : xDest, nHeight < 0 ? yDest + nHeight + 1 : yDest,
                       std::abs(nWidth), std::abs(nHeight));
    dest->save();
    dest->setCompositionMode(modeOfRop(dwRop));
    dest->drawImage(target, part);
    dest->restore();
}

void cMemDC::TransBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                      std::int32_t clrMask) const
{
    QPainter* dest = hdcDest ? hdcDest : parent_;
    if (!dc_ || !dest)
        return;
    const QImage part = sourceImage().copy(xSrc, ySrc, nWidth ? nWidth : width_, nHeight ? nHeight : height_);
    dest->save();
    dest->setCompositionMode(QPainter::CompositionMode_SourceOver);
    dest->drawImage(QPoint(xDest, yDest), withoutColour(part, rgbOf(TranslateColor(clrMask))));
    dest->restore();
}

void cMemDC::DisabledBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                         std::int32_t clrMask, std::int32_t clrHighlight, std::int32_t clrShadow) const
{
    QPainter* dest = hdcDest ? hdcDest : parent_;
    if (!dc_ || !dest)
        return;
    const int w = nWidth ? nWidth : width_;
    const int h = nHeight ? nHeight : height_;
    const auto [light, dark] = RasterOps::embossLayers(sourceImage().copy(xSrc, ySrc, w, h),
                                                       rgbOf(TranslateColor(clrMask)),
                                                       rgbOf(TranslateColor(clrHighlight)),
                                                       rgbOf(TranslateColor(clrShadow)));
    dest->save();
    dest->setCompositionMode(QPainter::CompositionMode_SourceOver);
    dest->setClipRect(QRect(xDest, yDest, w, h), Qt::IntersectClip);
    dest->drawImage(QPoint(xDest + 1, yDest + 1), light);
    dest->drawImage(QPoint(xDest, yDest), dark);
    dest->restore();
}

void cMemDC::DrawText(const QString& Text, int& LeftX, int& TopY, int& RightX, int& BottomY, int dtFlags)
{
    if (!dc_)
        return;
    int flags = dtFlags & Gdi::DT_CENTER ? Qt::AlignHCenter : dtFlags & Gdi::DT_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
    if (dtFlags & Gdi::DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        flags |= dtFlags & Gdi::DT_VCENTER ? Qt::AlignVCenter : dtFlags & Gdi::DT_BOTTOM ? Qt::AlignBottom : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (dtFlags & Gdi::DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
    }
    if (!(dtFlags & Gdi::DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (dtFlags & Gdi::DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (dtFlags & Gdi::DT_NOCLIP)
        flags |= Qt::TextDontClip;
    const QRect rect(LeftX, TopY, RightX - LeftX, BottomY - TopY);
    if (dtFlags & Gdi::DT_CALCRECT) {
        const QFontMetrics fm(dc_->font());
        const QRect room(LeftX, TopY, dtFlags & Gdi::DT_WORDBREAK ? rect.width() : 1 << 20, 1 << 20);
        const QRect extent = fm.boundingRect(room, flags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter |
                                                             Qt::AlignBottom), Text);
        RightX = LeftX + extent.width();
        BottomY = TopY + extent.height();
        return;
    }
    dc_->save();
    dc_->setPen(qcolour(foreColor_));
    dc_->drawText(rect, flags, Text);
    dc_->restore();
}

void cMemDC::ExtTextOut(const QString& Text, int LeftX, int TopY, int RightX, int BottomY, int xOffset, int yOffset,
                        int etoFlags)
{
    if (!dc_)
        return;
    const QRect rect(LeftX, TopY, RightX - LeftX, BottomY - TopY);
    dc_->save();
    if (etoFlags & Gdi::ETO_OPAQUE)
        dc_->fillRect(rect, qcolour(backColor_));
    if (etoFlags & Gdi::ETO_CLIPPED)
        dc_->setClipRect(rect, Qt::IntersectClip);
    dc_->setPen(qcolour(foreColor_));
    const QFontMetrics fm(dc_->font());
    dc_->drawText(QPointF(LeftX + xOffset, TopY + yOffset + fm.ascent()), Text);
    dc_->restore();
}

void cMemDC::PaintBitmap(const QImage& hBmp, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                         std::uint32_t dwRop, std::int32_t clrMask)
{
    if (!dc_ || hBmp.isNull())
        return;
    const QRect part(xSrc, ySrc, nWidth ? nWidth : hBmp.width(), nHeight ? nHeight : hBmp.height());
    if (clrMask == SystemColour::none) {
        blit(dc_, QPoint(xDest, yDest), hBmp, part, dwRop);
        return;
    }
    dc_->save();
    dc_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    dc_->drawImage(QPoint(xDest, yDest), withoutColour(hBmp.copy(part), rgbOf(TranslateColor(clrMask))));
    dc_->restore();
}

void cMemDC::PaintPicture(const Picture& oPic, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                          std::uint32_t dwRop, std::int32_t clrMask)
{
    if (oPic.isNull())
        return;
    if (!dc_)
        Init(HM2Pix(oPic.Width()), HM2Pix(oPic.Height()));
    if (nWidth == 0)
        nWidth = HM2Pix(oPic.Width());
    if (nHeight == 0)
        nHeight = HM2Pix(oPic.Height());
    const QRect target(xDest, yDest, nWidth, nHeight);
    switch (oPic.type) {
    case Picture::Icon:
        oPic.icon.paint(dc_, target);
        break;
    case Picture::Bitmap:
        PaintBitmap(oPic.bitmap, xDest, yDest, nWidth, nHeight, xSrc, ySrc, dwRop, clrMask);
        break;
    case Picture::Metafile:
    case Picture::EnhMetafile: {
        const QRect bounds = oPic.metafile.boundingRect();
        if (bounds.isEmpty())
            break;
        dc_->save();
        dc_->translate(target.topLeft());
        dc_->scale(double(nWidth) / bounds.width(), double(nHeight) / bounds.height());
        dc_->translate(-bounds.topLeft());
        dc_->drawPicture(0, 0, oPic.metafile);
        dc_->restore();
        break;
    }
    case Picture::None:
        break;
    }
}

void cMemDC::PaintDisabledPicture(const Picture& oPic, int xDest, int yDest, int nWidth, int nHeight, int xSrc,
                                  int ySrc, std::int32_t clrMask, std::int32_t clrHighlight, std::int32_t clrShadow)
{
    if (oPic.isNull())
        return;
    if (!dc_)
        Init(HM2Pix(oPic.Width()), HM2Pix(oPic.Height()));
    if (nWidth == 0)
        nWidth = HM2Pix(oPic.Width());
    if (nHeight == 0)
        nHeight = HM2Pix(oPic.Height());
    cMemDC work;
    work.Init(nWidth, nHeight);
    work.Cls(clrMask);
    work.PaintPicture(oPic, 0, 0, nWidth, nHeight, xSrc, ySrc, Gdi::SRCCOPY, SystemColour::none);
    work.DisabledBlt(dc_, xDest, yDest, nWidth, nHeight, 0, 0, clrMask, clrHighlight, clrShadow);
}

Picture cMemDC::ExtractIcon(std::int32_t clrMask) const
{
    if (!dc_)
        return Picture();
    const QImage icon = withoutColour(sourceImage(), rgbOf(TranslateColor(clrMask)));
    return IconToPicture(QIcon(QPixmap::fromImage(icon)), icon.size());
}

Picture cMemDC::BitmapToPicture(const QImage& hBmp)
{
    return Picture::fromImage(hBmp);
}

Picture cMemDC::IconToPicture(const QIcon& hIcon, const QSize& size)
{
    return Picture::fromIcon(hIcon, size);
}

int cMemDC::HM2Pix(int Value)
{
    constexpr double twipsPerPixel = 15;
    return static_cast<int>(NumberText::roundHalfEven(Value * 1440.0 / 2540.0 / twipsPerPixel));
}

int cMemDC::TextWidth(const QString& sText) const
{
    const QFontMetrics fm(dc_ ? dc_->font() : QApplication::font());
    return fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, sText).width();
}

int cMemDC::TextHeight(const QString& sText) const
{
    const QFontMetrics fm(dc_ ? dc_->font() : QApplication::font());
    return fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, sText).height();
}

void cMemDC::NormalizeRect(int& LeftX, int& TopY, int& RightX, int& BottomY)
{
    if (LeftX > RightX)
        std::swap(LeftX, RightX);
    if (TopY > BottomY)
        std::swap(TopY, BottomY);
}

void cMemDC::SetClipRect(int LeftX, int TopY, int RightX, int BottomY)
{
    if (!dc_)
        return;
    if (LeftX < 0) {
        dc_->setClipping(false);
        return;
    }
    NormalizeRect(LeftX, TopY, RightX, BottomY);
    dc_->setClipRect(QRect(LeftX, TopY, RightX - LeftX, BottomY - TopY));
}

void cMemDC::SetDIBits(int xDest, int yDest, int nWidth, int nHeight, const std::vector<std::uint8_t>& aBits,
                       std::uint32_t dwRop)
{
    if (!dc_ || nWidth <= 0 || nHeight <= 0)
        return;
    const QImage image = RasterOps::fromBottomUpBgr(nWidth, nHeight, aBits);
    if (image.isNull())
        return;
    blit(dc_, QPoint(xDest, yDest), image, image.rect(), dwRop);
}

QBrush cMemDC::CreateBrush(std::int32_t clrFill, int lStyle, int lHatch) const
{
    if (lStyle == Gdi::BS_NULL)
        return QBrush(Qt::transparent);
    const QColor c = qcolour(clrFill);
    if (lStyle != Gdi::BS_HATCHED)
        return QBrush(c);
    constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                          Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(c, hatches[std::clamp(lHatch, 0, 5)]);
}

QPen cMemDC::CreatePen(std::int32_t clrOutline, int lStyle, int lWidth) const
{
    if (lStyle == Gdi::PS_NULL)
        return QPen(Qt::transparent, lWidth);
    constexpr Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
    return QPen(qcolour(clrOutline), std::max(1, lWidth), styles[std::clamp(lStyle, 0, 4)]);
}

void cMemDC::Rectangle(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFill, const QBrush& hbrFill,
                       std::int32_t clrOutline, const QPen& hpnOutline)
{
    if (!dc_)
        return;
    if (clrFill != SystemColour::none)
        setBrush(QBrush(qcolour(clrFill)));
    else if (hbrFill.style() != Qt::NoBrush)
        setBrush(hbrFill);
    outline(clrOutline, hpnOutline);
    defaultRect(LeftX, TopY, RightX, BottomY);
    if (drawMode_ == Gdi::R2_NOP || RightX - LeftX < 1 || BottomY - TopY < 1)
        return;
    dc_->save();
    applyDrawMode();
    dc_->drawRect(QRect(LeftX, TopY, RightX - LeftX - 1, BottomY - TopY - 1));
    dc_->restore();
}

void cMemDC::DrawEllipse(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrOutline, const QPen& hpnOutline)
{
    if (!dc_)
        return;
    outline(clrOutline, hpnOutline);
    defaultRect(LeftX, TopY, RightX, BottomY);
    if (drawMode_ == Gdi::R2_NOP)
        return;
    dc_->save();
    applyDrawMode();
    dc_->setBrush(Qt::NoBrush);
    dc_->drawEllipse(QRect(LeftX, TopY, RightX - LeftX - 1, BottomY - TopY - 1));
    dc_->restore();
}

void cMemDC::Arc(int LeftX, int TopY, int RightX, int BottomY, int xStart, int yStart, int xEnd, int yEnd,
                 std::int32_t clrOutline, const QPen& hpnOutline)
{
    if (!dc_)
        return;
    outline(clrOutline, hpnOutline);
    if (drawMode_ == Gdi::R2_NOP)
        return;
    const QRectF box(LeftX, TopY, RightX - LeftX - 1, BottomY - TopY - 1);
    const QPointF c = box.center();
    // Counter-clockwise from the start radial to the end radial.
    const auto angle = [&](double x, double y) { return std::atan2(c.y() - y, x - c.x()) * 180 / std::numbers::pi; };
    const double a1 = angle(xStart, yStart);
    double span = angle(xEnd, yEnd) - a1;
    while (span <= 0)
        span += 360;
    dc_->save();
    applyDrawMode();
    dc_->setBrush(Qt::NoBrush);
    dc_->drawArc(box, static_cast<int>(std::lround(a1 * 16)), static_cast<int>(std::lround(span * 16)));
    dc_->restore();
}

void cMemDC::SetPixel(int LeftX, int TopY, std::int32_t clrColor)
{
    if (!dc_)
        return;
    dc_->save();
    dc_->setCompositionMode(QPainter::CompositionMode_Source);
    dc_->fillRect(QRect(LeftX, TopY, 1, 1), qcolour(clrColor));
    dc_->restore();
}

std::int32_t cMemDC::GetPixel(int LeftX, int TopY) const
{
    if (!dc_)
        return SystemColour::none;
    const QImage* image = image_.get();
    QImage lent;
    if (!image) {
        lent = sourceImage();
        image = &lent;
    }
    if (!image->valid(LeftX, TopY))
        return SystemColour::none;
    const QRgb p = image->pixel(LeftX, TopY);
    return rgb(qRed(p), qGreen(p), qBlue(p));
}
