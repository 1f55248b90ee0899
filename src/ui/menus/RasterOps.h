#pragma once

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <utility>
#include <vector>

// Raster operations and the pixel work behind the surface's copies.
namespace RasterOps {

QPainter::CompositionMode modeOfRop(std::uint32_t rop);
QPainter::CompositionMode modeOfDrawMode(int mode);

// Copies part of an image to a painter with a raster operation.
void blit(QPainter* dest, const QPoint& at, const QImage& src, const QRect& part, std::uint32_t rop);

// The image with every pixel of colour key made transparent.
QImage withoutColour(const QImage& src, QRgb key);

QRgb rgbOf(std::int32_t packed);

// The two layers of the embossed look: the figure (every pixel neither
// mask nor white) in the highlight colour, and in the shadow colour.
std::pair<QImage, QImage> embossLayers(const QImage& source, QRgb mask, QRgb highlight, QRgb shadow);

// A 24-bit bottom-up buffer (BGR, rows padded to 4 bytes) as an image; null
// when the buffer is too short.
QImage fromBottomUpBgr(int width, int height, const std::vector<std::uint8_t>& bits);

}  // namespace RasterOps
