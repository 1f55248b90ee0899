#include "ui/menus/RasterOps.h"

#include "logic/base/Rgb.h"
#include "ui/menus/GdiConstants.h"

namespace RasterOps {

QPainter::CompositionMode modeOfRop(std::uint32_t rop)
{
    switch (rop) {
    case Gdi::SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case Gdi::SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case Gdi::SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case Gdi::SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case Gdi::NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case Gdi::NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case Gdi::MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    case Gdi::DSTANDNOTSRC: return QPainter::RasterOp_NotSourceAndDestination;
    default: return QPainter::CompositionMode_Source;
    }
}

QPainter::CompositionMode modeOfDrawMode(int mode)
{
    switch (mode) {
    case Gdi::R2_BLACK: return QPainter::RasterOp_ClearDestination;
    case Gdi::R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
    case Gdi::R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
    case Gdi::R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
    case Gdi::R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
    case Gdi::R2_NOT: return QPainter::RasterOp_NotDestination;
    case Gdi::R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    case Gdi::R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
    case Gdi::R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
    case Gdi::R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
    case Gdi::R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
    case Gdi::R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;
    case Gdi::R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
    case Gdi::R2_WHITE: return QPainter::RasterOp_SetDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// Copies part of an image to a painter with a raster operation.
void blit(QPainter* dest, const QPoint& at, const QImage& src, const QRect& part, std::uint32_t rop)
{
    if (!dest)
        return;
    dest->save();
    const QRect target(at, part.size());
    if (rop == Gdi::DSTINVERT || rop == Gdi::BLACKNESS || rop == Gdi::WHITENESS) {
        dest->setCompositionMode(rop == Gdi::DSTINVERT ? QPainter::RasterOp_NotDestination
                                                       : QPainter::CompositionMode_Source);
        dest->fillRect(target, rop == Gdi::WHITENESS ? Qt::white : Qt::black);
    } else if (!src.isNull()) {
        dest->setCompositionMode(modeOfRop(rop));
        dest->drawImage(at, src, part);
    }
    dest->restore();
}

// The part of src whose pixels differ from key, the rest transparent.
QImage withoutColour(const QImage& src, QRgb key)
{
    QImage out = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = 0;
    }
    return out;
}

QRgb rgbOf(std::int32_t packed)
{
    return qRgb(redOf(packed), greenOf(packed), blueOf(packed));
}

std::pair<QImage, QImage> embossLayers(const QImage& source, QRgb mask, QRgb highlight, QRgb shadow)
{
    const QImage part = source.convertToFormat(QImage::Format_RGB32);
    const int w = part.width();
    const int h = part.height();
    // The figure: every pixel that is neither the transparent colour nor white.
    QImage light(w, h, QImage::Format_ARGB32);
    QImage dark(w, h, QImage::Format_ARGB32);
    light.fill(Qt::transparent);
    dark.fill(Qt::transparent);
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(part.constScanLine(y));
        auto* l = reinterpret_cast<QRgb*>(light.scanLine(y));
        auto* d = reinterpret_cast<QRgb*>(dark.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb p = in[x] & 0xFFFFFF;
            if (p != (mask & 0xFFFFFF) && p != 0xFFFFFF) {
                l[x] = highlight;
                d[x] = shadow;
            }
        }
    }
    return {light, dark};
}

QImage fromBottomUpBgr(int width, int height, const std::vector<std::uint8_t>& bits)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    if (width <= 0 || height <= 0 || bits.size() < rowBytes * static_cast<std::size_t>(height))
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int row = 0; row < height; ++row) {
        // Bottom-up: the first row in the buffer is the lowest of the image.
        const std::uint8_t* in = bits.data() + rowBytes * static_cast<std::size_t>(row);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(height - 1 - row));
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
    }
    return image;
}

}  // namespace RasterOps

