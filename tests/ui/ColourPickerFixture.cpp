#include "ui/ColourPickerFixture.h"

#include "logic/colour/PaletteCells.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include <cmath>

using namespace color;

frmcolor& ColourPicker::open()
{
    if (!form)
        start();
    form->controls().mnucolr->trigger();
    return *form->colourPicker();
}

void ColourPicker::press(QWidget* w, int x, int y)
{
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(x, y));
}

void ColourPicker::move(QWidget* w, int x, int y)
{
    QTest::mouseMove(w, QPoint(x, y));
}

void ColourPicker::release(QWidget* w, int x, int y)
{
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(x, y));
}

void ColourPicker::click(QWidget* w, int x, int y)
{
    press(w, x, y);
    release(w, x, y);
}

void ColourPicker::clickWidget(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

void ColourPicker::type(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

Components ColourPicker::at(const frmcolor& d, int x, int y)
{
    const QColor c = d.surface().pixelColor(x, y);
    return {c.red(), c.green(), c.blue()};
}

void ColourPicker::expectFieldShows(const frmcolor& d, const Dib& image, bool mirrored)
{
    int ring = 0;
    for (int y = FieldTop; y <= FieldBottom; ++y) {
        for (int x = FieldLeft; x <= FieldRight; ++x) {
            const int column = mirrored ? 255 - (x - FieldLeft) : x - FieldLeft;
            const Components want = image.pixel(column, y - FieldTop);
            const Components got = at(d, x, y);
            if (got == want)
                continue;
            const double distance = std::hypot(x - d.markerX(), y - d.markerY());
            ASSERT_TRUE(distance > 3.5 && distance < 6.5) << "at " << x << ", " << y;
            ASSERT_EQ(got, (Components{255 - want.r, 255 - want.g, 255 - want.b})) << "at " << x << ", " << y;
            ++ring;
        }
    }
    // Part of the ring may lie outside the field, never all of it.
    EXPECT_GT(ring, 6);
}

void ColourPicker::expectBarShows(const frmcolor& d, const Dib& image)
{
    for (int y = BarTop; y <= BarBottom; ++y)
        for (int x = BarLeft; x < BarRight; ++x)
            ASSERT_EQ(at(d, x, y), image.pixel(x - BarLeft, y - BarTop)) << "at " << x << ", " << y;
}

std::set<int> ColourPicker::tickRows(const frmcolor& d)
{
    const QColor back = d.palette().color(QPalette::Window);
    const Components inverted{255 - back.red(), 255 - back.green(), 255 - back.blue()};
    std::set<int> left;
    std::set<int> right;
    for (int y = 0; y < d.surface().height(); ++y) {
        if (at(d, BarLeft - 4, y) == inverted)
            left.insert(y);
        if (at(d, BarRight + 3, y) == inverted)
            right.insert(y);
    }
    EXPECT_EQ(left, right);
    return right;
}

QPoint ColourPicker::cellCentre(int cell)
{
    const PaletteCells::Rect r = PaletteCells::cellRect(cell);
    return {r.left + 7, r.top + 7};
}
