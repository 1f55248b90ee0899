#pragma once

#include "ui/menus/FontRecord.h"
#include "ui/menus/Picture.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A drawing surface: an image of its own painted through a QPainter (the
// surface's "context"), or a painter lent by the caller, which the surface
// never ends. Colours are 0x00BBGGRR, system colours 0x800000nn, or -1 for
// none (then the brush or pen handed in is used). Every drawing call is a
// silent no-op until the surface is created, except the picture painters,
// which create it.
class cMemDC {
public:
    cMemDC() = default;
    ~cMemDC();
    cMemDC(const cMemDC&) = delete;
    cMemDC& operator=(const cMemDC&) = delete;

    // Makes an own surface of the size, or takes hMemoryDC as the surface.
    // hParentDC lends its colours, background mode and font. Returns hDC().
    QPainter* Init(int PixelWidth, int PixelHeight, QPainter* hParentDC = nullptr, QPainter* hMemoryDC = nullptr);
    void Destroy();
    bool IsCreated() const { return dc_ != nullptr; }
    bool IsMemoryDC() const { return static_cast<bool>(image_); }

    QPainter* hDC() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int FontHeight() const;
    FontRecord Font() const;
    void setFont(const FontRecord& font);
    std::int32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::int32_t colour);
    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t colour);
    int BackStyle() const;
    void setBackStyle(int style);
    QBrush DotBrush();
    QBrush Brush() const;
    void setBrush(const QBrush& brush);  // Qt::NoBrush puts the initial brush back
    QPen Pen() const;
    void setPen(const QPen& pen);  // Qt::NoPen puts the initial pen back
    int DrawMode() const { return drawMode_; }
    void setDrawMode(int mode);
    // A copy of the whole surface.
    Picture Image() const;
    static FontRecord SystemIconFont();
    static FontRecord SystemMenuFont();
    int OsVersion() const { return osVersion_; }
    // Which gradient is drawn depends on the version; a test may pick the old one.
    void setOsVersion(int version) { osVersion_ = version; }

    // The own image, taken by the caller; newImage (if any) becomes the own one.
    QImage DetachBitmap(const QImage& newImage = QImage());

    void Cls(std::int32_t clrFill = -1, const QBrush& hbrFill = Qt::NoBrush);
    void FillRect(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFill = -1,
                  const QBrush& hbrFill = Qt::NoBrush);
    void FillGradient(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFirst, std::int32_t clrSecond,
                      bool bVertical);
    void DrawEdge(int LeftX, int TopY, int RightX, int BottomY, int edge, int Flags);
    void DrawFrameControl(int LeftX, int TopY, int RightX, int BottomY, int Type_, int Style);
    void FrameRect(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFill = -1,
                   const QBrush& hbrFill = Qt::NoBrush);
    void DrawLine(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrLine = -1,
                  const QPen& hpnLine = Qt::NoPen);
    void BitBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth = 0, int nHeight = 0, int xSrc = 0,
                int ySrc = 0, std::uint32_t dwRop = 0x00CC0020) const;
    void LoadBlt(const QImage& hdcSrc, int xSrc = 0, int ySrc = 0, int xDest = 0, int yDest = 0, int nWidth = 0,
                 int nHeight = 0, std::uint32_t dwRop = 0x00CC0020);
    void StretchBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth, int nHeight, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, std::uint32_t dwRop = 0x00CC0020) const;
    void TransBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth = 0, int nHeight = 0, int xSrc = 0,
                  int ySrc = 0, std::int32_t clrMask = 0) const;
    void DisabledBlt(QPainter* hdcDest, int xDest, int yDest, int nWidth = 0, int nHeight = 0, int xSrc = 0,
                     int ySrc = 0, std::int32_t clrMask = 0, std::int32_t clrHighlight = 0x80000014,
                     std::int32_t clrShadow = 0x80000010) const;
    // Text in the rectangle; with DT_CALCRECT the rectangle comes back
    // holding the text's extent and nothing is drawn.
    void DrawText(const QString& Text, int& LeftX, int& TopY, int& RightX, int& BottomY, int dtFlags);
    void ExtTextOut(const QString& Text, int LeftX, int TopY, int RightX, int BottomY, int xOffset, int yOffset,
                    int etoFlags);
    void PaintBitmap(const QImage& hBmp, int xDest, int yDest, int nWidth = 0, int nHeight = 0, int xSrc = 0,
                     int ySrc = 0, std::uint32_t dwRop = 0x00CC0020, std::int32_t clrMask = -1);
    void PaintPicture(const Picture& oPic, int xDest = 0, int yDest = 0, int nWidth = 0, int nHeight = 0,
                      int xSrc = 0, int ySrc = 0, std::uint32_t dwRop = 0x00CC0020, std::int32_t clrMask = -1);
    void PaintDisabledPicture(const Picture& oPic, int xDest = 0, int yDest = 0, int nWidth = 0, int nHeight = 0,
                              int xSrc = 0, int ySrc = 0, std::int32_t clrMask = 0,
                              std::int32_t clrHighlight = 0x80000014, std::int32_t clrShadow = 0x80000010);
    Picture ExtractIcon(std::int32_t clrMask) const;
    static Picture BitmapToPicture(const QImage& hBmp);
    static Picture IconToPicture(const QIcon& hIcon, const QSize& size = {});
    std::int32_t TranslateColor(std::int32_t clrColor) const;
    static int HM2Pix(int Value);
    int TextWidth(const QString& sText) const;
    int TextHeight(const QString& sText) const;
    static void NormalizeRect(int& LeftX, int& TopY, int& RightX, int& BottomY);
    void SetClipRect(int LeftX, int TopY, int RightX, int BottomY);
    // A 24-bit bottom-up buffer (BGR, rows padded to 4 bytes) drawn unstretched.
    void SetDIBits(int xDest, int yDest, int nWidth, int nHeight, const std::vector<std::uint8_t>& aBits,
                   std::uint32_t dwRop = 0x00CC0020);
    QBrush CreateBrush(std::int32_t clrFill, int lStyle = 0, int lHatch = 0) const;
    QPen CreatePen(std::int32_t clrOutline, int lStyle = 0, int lWidth = 1) const;
    void Rectangle(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrFill = -1,
                   const QBrush& hbrFill = Qt::NoBrush, std::int32_t clrOutline = -1,
                   const QPen& hpnOutline = Qt::NoPen);
    void DrawEllipse(int LeftX, int TopY, int RightX, int BottomY, std::int32_t clrOutline = -1,
                     const QPen& hpnOutline = Qt::NoPen);
    void Arc(int LeftX, int TopY, int RightX, int BottomY, int xStart, int yStart, int xEnd, int yEnd,
             std::int32_t clrOutline = -1, const QPen& hpnOutline = Qt::NoPen);
    void SetPixel(int LeftX, int TopY, std::int32_t clrColor);
    std::int32_t GetPixel(int LeftX, int TopY) const;

private:
    void defaultRect(int LeftX, int TopY, int& RightX, int& BottomY) const;
    QColor qcolour(std::int32_t colour) const;
    // What the surface shows, for copies out of it.
    QImage sourceImage() const;
    void applyDrawMode();
    void outline(std::int32_t clr, const QPen& pen);

    std::unique_ptr<QImage> image_;
    std::unique_ptr<QPainter> ownPainter_;
    QPainter* dc_ = nullptr;
    QPainter* parent_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool lent_ = false;
    bool brushSet_ = false;
    bool penSet_ = false;
    QBrush initialBrush_;
    QPen initialPen_;
    QFont initialFont_;
    std::int32_t foreColor_ = 0;
    std::int32_t backColor_ = 0xFFFFFF;
    int drawMode_ = 13;
    QPoint currentPos_;
    std::optional<QBrush> dotBrush_;
    int osVersion_ = 600;
};
