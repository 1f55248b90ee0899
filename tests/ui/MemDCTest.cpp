// The drawing surface, checked pixel by pixel.
#include "ui/menus/GdiConstants.h"
#include "ui/menus/cMemDC.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

namespace {
constexpr std::int32_t red = 0x0000FF;
constexpr std::int32_t green = 0x00FF00;
constexpr std::int32_t blue = 0xFF0000;
constexpr std::int32_t white = 0xFFFFFF;
constexpr std::int32_t black = 0x000000;
}  // namespace

TEST(MemDC, DrawingWaitsForTheSurfaceToBeMade)
{
    cMemDC dc;
    EXPECT_FALSE(dc.IsCreated());
    dc.FillRect(0, 0, -1, -1, red);
    dc.DrawLine(0, 0, 5, 5, red);
    EXPECT_EQ(dc.GetPixel(0, 0), -1);
    EXPECT_EQ(dc.FontHeight(), 0);
    dc.Init(10, 10);
    EXPECT_TRUE(dc.IsCreated());
    EXPECT_TRUE(dc.IsMemoryDC());
    EXPECT_EQ(dc.Width(), 10);
    EXPECT_GT(dc.FontHeight(), 0);
}

TEST(MemDC, FillRectWithAnEmptyRightAndBottomFillsTheWholeSurface)
{
    cMemDC dc;
    dc.Init(20, 12);
    dc.FillRect(0, 0, -1, -1, red);
    EXPECT_EQ(dc.GetPixel(0, 0), red);
    EXPECT_EQ(dc.GetPixel(19, 11), red);
    dc.FillRect(2, 2, 4, 4, -1, QBrush(Qt::blue));
    EXPECT_EQ(dc.GetPixel(3, 3), blue);
    EXPECT_EQ(dc.GetPixel(4, 4), red);  // the right and bottom edges are outside
}

TEST(MemDC, GradientsBothWays)
{
    cMemDC dc;
    dc.Init(11, 11);
    dc.Cls(white);
    dc.FillGradient(0, 0, 11, 11, green, green, false);
    EXPECT_EQ(dc.GetPixel(0, 5), green);
    EXPECT_EQ(dc.GetPixel(10, 5), green);
    dc.FillGradient(0, 0, 11, 11, black, white, true);
    EXPECT_LT(dc.GetPixel(5, 0) & 0xFF, 0x20);
    EXPECT_GT(dc.GetPixel(5, 10) & 0xFF, 0xD0);

    // The line-by-line branch also paints the line at the end coordinate.
    cMemDC old;
    old.setOsVersion(400);
    old.Init(12, 12);
    old.Cls(white);
    old.FillGradient(0, 0, 12, 10, red, blue, true);
    EXPECT_EQ(old.GetPixel(3, 0), red);
    EXPECT_EQ(old.GetPixel(3, 10), blue);
    EXPECT_EQ(old.GetPixel(3, 11), white);
    EXPECT_EQ(old.GetPixel(3, 5), 0x800080);  // halfway, rounded half to even
}

TEST(MemDC, ColoursTranslate)
{
    cMemDC dc;
    EXPECT_EQ(dc.TranslateColor(-1), -1);
    EXPECT_EQ(dc.TranslateColor(0x123456), 0x123456);
    const QColor menu = QApplication::palette("QMenu").color(QPalette::Window);
    EXPECT_EQ(dc.TranslateColor(static_cast<std::int32_t>(0x80000004)),
              menu.red() + 256 * menu.green() + 65536 * menu.blue());
}

TEST(MemDC, ALentSurfaceSurvivesDestroy)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::green, 3));
    {
        cMemDC dc;
        EXPECT_EQ(dc.Init(8, 8, nullptr, &painter), &painter);
        EXPECT_FALSE(dc.IsMemoryDC());
        dc.setPen(QPen(Qt::red));
        dc.FillRect(0, 0, 2, 2, blue);
        EXPECT_EQ(dc.GetPixel(1, 1), blue);
        dc.Destroy();
    }
    EXPECT_TRUE(painter.isActive());
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));  // the lender's pen is back
    painter.end();
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 255));
}

TEST(MemDC, BrushesAndPensAreSetAndPutBack)
{
    cMemDC dc;
    dc.Init(10, 10);
    const QBrush initial = dc.Brush();
    dc.setBrush(QBrush(Qt::red));
    dc.setBrush(QBrush(Qt::blue));
    EXPECT_EQ(dc.Brush().color(), QColor(Qt::blue));
    dc.setBrush(Qt::NoBrush);
    EXPECT_EQ(dc.Brush(), initial);
    dc.Rectangle(0, 0, 10, 10, green, Qt::NoBrush, red);
    EXPECT_EQ(dc.GetPixel(0, 0), red);
    EXPECT_EQ(dc.GetPixel(9, 9), red);
    EXPECT_EQ(dc.GetPixel(5, 5), green);
    EXPECT_EQ(dc.Brush().color(), QColor(0, 255, 0));  // the brush made for it stays set
    EXPECT_EQ(dc.DotBrush().style(), Qt::Dense4Pattern);
}

TEST(MemDC, TheTransparentCopyLeavesTheMaskColourOut)
{
    cMemDC source;
    source.Init(4, 4);
    source.Cls(red);
    source.FillRect(1, 1, 3, 3, green);
    cMemDC target;
    target.Init(4, 4);
    target.Cls(blue);
    source.TransBlt(target.hDC(), 0, 0, 0, 0, 0, 0, red);
    EXPECT_EQ(target.GetPixel(0, 0), blue);
    EXPECT_EQ(target.GetPixel(1, 1), green);
    source.BitBlt(target.hDC(), 0, 0, 1, 1, 0, 0, Gdi::SRCCOPY);
    EXPECT_EQ(target.GetPixel(0, 0), red);
}

TEST(MemDC, TheEmbossedCopyShowsHighlightBelowRightUnderTheShadow)
{
    cMemDC source;
    source.Init(6, 6);
    source.Cls(white);
    source.FillRect(2, 2, 3, 3, black);  // one figure pixel at (2, 2)
    cMemDC target;
    target.Init(6, 6);
    target.Cls(blue);
    source.DisabledBlt(target.hDC(), 0, 0, 0, 0, 0, 0, white, red, green);
    EXPECT_EQ(target.GetPixel(2, 2), green);  // shadow on the figure
    EXPECT_EQ(target.GetPixel(3, 3), red);    // highlight one right and down
    EXPECT_EQ(target.GetPixel(0, 0), blue);   // background untouched
    EXPECT_EQ(target.GetPixel(2, 3), blue);
}

TEST(MemDC, PicturesAndIcons)
{
    QImage square(16, 16, QImage::Format_RGB32);
    square.fill(Qt::red);
    const Picture icon = cMemDC::IconToPicture(QIcon(QPixmap::fromImage(square)), QSize(16, 16));
    cMemDC dc;  // painting a picture makes the surface
    dc.PaintPicture(icon);
    ASSERT_TRUE(dc.IsCreated());
    EXPECT_EQ(dc.Width(), 16);
    EXPECT_EQ(dc.GetPixel(15, 15), red);

    cMemDC big;
    big.Init(40, 40);
    big.Cls(white);
    big.PaintPicture(icon, 5, 5, 0, 0);  // size 0: the icon's own size
    EXPECT_EQ(big.GetPixel(5, 5), red);
    EXPECT_EQ(big.GetPixel(20, 20), red);
    EXPECT_EQ(big.GetPixel(21, 21), white);

    big.PaintDisabledPicture(cMemDC::BitmapToPicture(square), 24, 0, 0, 0, 0, 0, white, green, blue);
    EXPECT_EQ(big.GetPixel(24, 0), blue);

    const Picture extracted = big.ExtractIcon(white);
    EXPECT_EQ(extracted.type, Picture::Icon);
    EXPECT_EQ(extracted.size, QSize(40, 40));
}

TEST(MemDC, DrawTextCanMeasureInsteadOfDrawing)
{
    cMemDC dc;
    dc.Init(200, 40);
    dc.Cls(white);
    int l = 10, t = 5, r = 10, b = 5;
    dc.DrawText("&Save", l, t, r, b, Gdi::DT_CALCRECT | Gdi::DT_SINGLELINE);
    EXPECT_EQ(l, 10);
    EXPECT_EQ(r - l, dc.TextWidth("Save"));  // the prefix character takes no room
    EXPECT_EQ(b - t, dc.FontHeight());
    EXPECT_EQ(dc.GetPixel(15, 10), white);  // nothing drawn
    int l2 = 0, t2 = 0, r2 = 200, b2 = 40;
    dc.DrawText("Save", l2, t2, r2, b2, Gdi::DT_SINGLELINE | Gdi::DT_CENTER | Gdi::DT_VCENTER);
    bool inked = false;
    for (int x = 80; x < 120; ++x)
        for (int y = 10; y < 30; ++y)
            inked = inked || dc.GetPixel(x, y) != white;
    EXPECT_TRUE(inked);
}

TEST(MemDC, DibitsLinesAndClipping)
{
    cMemDC dc;
    dc.Init(4, 2);
    dc.Cls(white);
    // Two rows of one red pixel each, bottom-up: the first row is the lowest.
    std::vector<std::uint8_t> bits = {0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0,   //
                                      255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    dc.SetDIBits(0, 0, 4, 2, bits);
    EXPECT_EQ(dc.GetPixel(0, 1), red);
    EXPECT_EQ(dc.GetPixel(0, 0), blue);

    cMemDC lines;
    lines.Init(10, 10);
    lines.Cls(white);
    lines.DrawLine(0, 4, 9, 4, black);
    EXPECT_EQ(lines.GetPixel(8, 4), black);
    EXPECT_EQ(lines.GetPixel(9, 4), white);  // the end point is not drawn
    lines.SetClipRect(5, 0, 10, 10);
    lines.FillRect(0, 0, -1, -1, green);
    EXPECT_EQ(lines.GetPixel(2, 2), white);
    EXPECT_EQ(lines.GetPixel(7, 2), green);
    lines.SetClipRect(-1, 0, 0, 0);
    lines.FillRect(0, 0, -1, -1, green);
    EXPECT_EQ(lines.GetPixel(2, 2), green);

    int l = 9, t = 8, r = 1, b = 2;
    cMemDC::NormalizeRect(l, t, r, b);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(r, 9);
    EXPECT_EQ(t, 2);
    EXPECT_EQ(b, 8);
    EXPECT_EQ(cMemDC::HM2Pix(2540), 96);
}

TEST(MemDC, FontsRoundTripAsRecords)
{
    cMemDC dc;
    dc.Init(10, 10);
    FontRecord f;
    f.Name = "DejaVu Sans";
    f.Size = 12;
    f.Weight = 700;
    f.Italic = true;
    dc.setFont(f);
    const FontRecord back = dc.Font();
    EXPECT_EQ(back.Size, 12);
    EXPECT_TRUE(back.Bold);
    EXPECT_TRUE(back.Italic);
    EXPECT_FALSE(cMemDC::SystemMenuFont().Name.isEmpty());
    EXPECT_GT(cMemDC::SystemIconFont().Size, 0);
}
