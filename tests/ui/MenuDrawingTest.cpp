// Measuring and drawing menu items, checked by pixels.
#include "support/ManualClock.h"
#include "ui/menus/ImageList.h"
#include "ui/menus/MenuItemPainter.h"
#include "ui/menus/cMemDC.h"
#include "ui/menus/cMenus.h"
#include "ui/menus/modSubClass.h"
#include "platform/QtFiles.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr std::int32_t black = 0;

QImage redSquare()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(4, 4, 8, 8, QColor(200, 0, 0));
    return image;
}

class MenuDrawing : public testing::Test {
protected:
    QMainWindow window;
    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* separator = nullptr;
    modSubClass hook;
    QtFiles files;
    QTemporaryDir folder;
    ImageList images;
    std::unique_ptr<cMenus> engine;

    void SetUp() override
    {
        file = window.menuBar()->addMenu("&File");
        file->setObjectName("mnufile");
        open = file->addAction("Open");
        open->setObjectName("open");
        save = file->addAction("&Save");
        save->setObjectName("save");
        save->setShortcut(QKeySequence("Ctrl+S"));
        separator = file->addSeparator();
        file->addAction("Quit")->setObjectName("quit");
        // Read from its file when an item first draws it, as the window's pictures are.
        const QString red = folder.filePath(QStringLiteral("red.png"));
        ASSERT_TRUE(redSquare().save(red));
        images.addFile("red", red);
        engine = std::make_unique<cMenus>(hook, files);
        engine->setImageList(&images);
        engine->CreateFromForm(&window, true);
    }
    // An item drawn into a fresh surface of w x h.
    std::unique_ptr<cMemDC> drawn(const char* name, int state, int w = 200, int h = 0)
    {
        auto dc = std::make_unique<cMemDC>();
        dc->Init(w, h ? h : engine->standardItemHeight());
        engine->drawItem(engine->IndexForKey(name), dc->hDC(), QRect(0, 0, dc->Width(), dc->Height()), state);
        return dc;
    }
    int textWidth(const QString& s) { return engine->measuringSurface().TextWidth(s); }
};
}  // namespace

TEST_F(MenuDrawing, MeasuresInBothLooks)
{
    const int std0 = engine->standardItemHeight();
    EXPECT_EQ(std0, engine->measuringSurface().FontHeight() + 6);
    EXPECT_EQ(engine->measureItem(engine->IndexForKey("open")), QSize(textWidth("Open") + 23, std0));
    EXPECT_EQ(engine->measureItem(engine->IndexForKey("save")), QSize(textWidth("&Save") + textWidth("Ctrl+S") + 32, std0));
    EXPECT_EQ(engine->measureItem(engine->indexOfAction(separator)), QSize(0, 9));
    engine->setDrawStyle(1);
    const int std1 = engine->standardItemHeight();
    EXPECT_EQ(std1, std0 + 3);
    EXPECT_EQ(engine->measureItem(engine->IndexForKey("open")), QSize(textWidth("Open") + 32, std1));
    EXPECT_EQ(engine->measureItem(engine->IndexForKey("save")), QSize(textWidth("&Save") + textWidth("Ctrl+S") + 52, std1));
    EXPECT_EQ(engine->measureItem(engine->indexOfAction(separator)), QSize(0, 9));
    EXPECT_EQ(engine->measureItem(engine->IndexForKey("mnufile")), QSize(textWidth("&File"), std1));
}

TEST_F(MenuDrawing, FlatPopupItemsByPixels)
{
    engine->setDrawStyle(1);
    const int h = engine->standardItemHeight();
    auto plain = drawn("open", 0);
    EXPECT_EQ(plain->GetPixel(100, 1), MenuItemPainter::itemBackground);
    EXPECT_EQ(plain->GetPixel(10, 1), MenuItemPainter::iconColumn);
    EXPECT_EQ(plain->GetPixel(23, 1), MenuItemPainter::iconColumn);
    EXPECT_EQ(plain->GetPixel(24, 1), MenuItemPainter::itemBackground);

    auto selected = drawn("open", cMenus::selectedState);
    EXPECT_EQ(selected->GetPixel(100, 0), MenuItemPainter::selectionBorder);
    EXPECT_EQ(selected->GetPixel(100, 2), MenuItemPainter::selectionFill);
    EXPECT_EQ(selected->GetPixel(10, h / 2), MenuItemPainter::selectionFill);  // over the icon column
    EXPECT_EQ(selected->GetPixel(0, 2), MenuItemPainter::iconColumn);  // left of the selection

    cMemDC sep;
    sep.Init(200, 9);
    engine->drawItem(engine->indexOfAction(separator), sep.hDC(), QRect(0, 0, 200, 9), 0);
    const std::int32_t shadow = sep.TranslateColor(MenuItemPainter::shadow);
    EXPECT_EQ(sep.GetPixel(29, 4), shadow);
    EXPECT_EQ(sep.GetPixel(199, 4), shadow);
    EXPECT_NE(sep.GetPixel(28, 4), shadow);
    EXPECT_NE(sep.GetPixel(100, 3), shadow);
}

TEST_F(MenuDrawing, CheckedItemsShowTheirGlyph)
{
    engine->setDrawStyle(1);
    engine->setItemImage("red", "open");
    const int h = engine->standardItemHeight();
    // Checked and enabled: a box in the check-box fill with the glyph, no icon.
    auto checked = drawn("open", cMenus::checkedState);
    EXPECT_EQ(checked->GetPixel(2, 1), MenuItemPainter::selectionBorder);
    EXPECT_EQ(checked->GetPixel(4, 3), MenuItemPainter::checkBoxFill);
    bool glyph = false;
    bool icon = false;
    for (int x = 2; x < 22; ++x) {
        for (int y = 1; y < h - 1; ++y) {
            glyph = glyph || checked->GetPixel(x, y) == black;
            icon = icon || checked->GetPixel(x, y) == 0x0000C8;
        }
    }
    EXPECT_TRUE(glyph);
    EXPECT_FALSE(icon);

    // Disabled and checked: the glyph in grey, and no box.
    auto grey = drawn("open", cMenus::checkedState | cMenus::grayedState);
    const std::int32_t shadow = grey->TranslateColor(MenuItemPainter::shadow);
    EXPECT_EQ(grey->GetPixel(2, 1), MenuItemPainter::iconColumn);
    bool greyGlyph = false;
    for (int x = 2; x < 22; ++x)
        for (int y = 0; y < h; ++y)
            greyGlyph = greyGlyph || grey->GetPixel(x, y) == shadow;
    EXPECT_TRUE(greyGlyph);
}

TEST_F(MenuDrawing, ASelectedIconIsLiftedOverItsSilhouette)
{
    engine->setDrawStyle(1);
    engine->setItemImage("red", "open");
    const int iconTop = static_cast<int>(std::lround((engine->standardItemHeight() - 16) / 2.0 - 0.01));
    auto plain = drawn("open", 0);
    EXPECT_EQ(plain->GetPixel(4 + 7, iconTop + 7), 0x0000C8);  // the red square at x = 4
    auto lifted = drawn("open", cMenus::selectedState);
    const std::int32_t shadow = lifted->TranslateColor(MenuItemPainter::shadow);
    EXPECT_EQ(lifted->GetPixel(2 + 7, iconTop + 7), 0x0000C8);        // the icon, up and left
    EXPECT_EQ(lifted->GetPixel(4 + 11, iconTop + 2 + 11), shadow);     // its silhouette peeks out below right
    EXPECT_EQ(lifted->GetPixel(4 + 2, iconTop + 2 + 2), MenuItemPainter::selectionFill);
}

TEST_F(MenuDrawing, RightToLeftMirrorsTheItem)
{
    engine->setDrawStyle(1);
    engine->setRightToLeft(true);
    engine->setItemImage("red", "open");
    const int iconTop = static_cast<int>(std::lround((engine->standardItemHeight() - 16) / 2.0 - 0.01));
    auto dc = drawn("open", 0);
    EXPECT_EQ(dc->GetPixel(190, 1), MenuItemPainter::iconColumn);
    EXPECT_EQ(dc->GetPixel(10, 1), MenuItemPainter::itemBackground);
    EXPECT_EQ(dc->GetPixel(200 - 20 + 7, iconTop + 7), 0x0000C8);
    // The caption ends 32 pixels from the right edge.
    bool inkRight = false;
    bool inkLeft = false;
    for (int y = 0; y < dc->Height(); ++y) {
        for (int x = 200 - 32 - textWidth("Open"); x < 200 - 32; ++x)
            inkRight = inkRight || dc->GetPixel(x, y) == black;
        for (int x = 24; x < 60; ++x)
            inkLeft = inkLeft || dc->GetPixel(x, y) == black;
    }
    EXPECT_TRUE(inkRight);
    EXPECT_FALSE(inkLeft);
}

TEST_F(MenuDrawing, TheRaisedLookUsesTheEngineColours)
{
    engine->BackColor = 0x00FFFF;  // yellow
    engine->HighlightColor = 0x800000;
    auto plain = drawn("open", 0);
    EXPECT_EQ(plain->GetPixel(150, 1), 0x00FFFF);
    auto selected = drawn("open", cMenus::selectedState);
    EXPECT_EQ(selected->GetPixel(150, 1), 0x800000);
    cMemDC sep;
    sep.Init(100, 9);
    engine->drawItem(engine->indexOfAction(separator), sep.hDC(), QRect(0, 0, 100, 9), 0);
    EXPECT_EQ(sep.GetPixel(50, 5), 0xFFFFFF);
    EXPECT_EQ(sep.GetPixel(50, 4), sep.TranslateColor(MenuItemPainter::shadow));
}

TEST_F(MenuDrawing, TheRealMenuTakesTheEnginesSizesAndLook)
{
    engine->setDrawStyle(1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    file->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
    const QRect openRect = file->actionGeometry(open);
    EXPECT_EQ(openRect.height(), engine->standardItemHeight());
    EXPECT_EQ(file->actionGeometry(separator).height(), 9);
    EXPECT_GE(openRect.width(), textWidth("&Save") + textWidth("Ctrl+S") + 52);
    const QImage shot = file->grab().toImage();
    const QPoint column = openRect.topLeft() + QPoint(10, 2);
    EXPECT_EQ(shot.pixelColor(column), QColor(222, 219, 214));
    EXPECT_EQ(shot.pixelColor(openRect.topLeft() + QPoint(openRect.width() / 2, 1)), QColor(255, 251, 247));
    file->close();
    const QRect barItem = window.menuBar()->actionGeometry(file->menuAction());
    EXPECT_EQ(barItem.size(), QSize(textWidth("&File"), engine->standardItemHeight()));
}
