#include "ui/ColourPickerFixture.h"

#include "logic/colour/ColourFiles.h"
#include "logic/colour/PaletteCells.h"
#include "ui/colour/SkinColours.h"
#include "ui/dialogs/Form2.h"
#include "ui/dialogs/Form3.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QTest>

using namespace color;

namespace {
class Skin : public ColourPicker {
protected:
    QString skinPath() const { return env.midiFolder() + QStringLiteral("/skincolor.ini"); }
    QString userColourPath() const { return env.midiFolder() + QStringLiteral("/usercolors.cps"); }
    QColor window() const { return form->controls().client->palette().color(QPalette::Window); }
    QColor layer() const { return form->controls().Shape1->palette().color(QPalette::Window); }
    // Opens the picker in the user palette.
    frmcolor& openPalette()
    {
        frmcolor& d = open();
        clickWidget(d.controls().Command3);
        return d;
    }
};
}  // namespace

TEST_F(Skin, TheSkinFileColoursTheWindowAndTheLayer)
{
    for (const char* text : {" 255 \r\n 65280 \r\n", "255\r\n65280\r\n"}) {
        TempEnvironment::write(skinPath(), text);
        start();
        EXPECT_EQ(window(), QColor(255, 0, 0)) << text;
        EXPECT_EQ(layer(), QColor(0, 255, 0)) << text;
        EXPECT_EQ(form->controls().Frame1->palette().color(QPalette::Window), QColor(255, 0, 0));
        EXPECT_EQ(form->controls().txtRx->palette().color(QPalette::Base), QColor(255, 0, 0));
        EXPECT_EQ(form->controls().txtSend->palette().color(QPalette::Base), QColor(255, 0, 0));
        EXPECT_EQ(form->skin().backgroundText(), QString::fromLatin1(text).split("\r\n")[0].toStdString());
        // The other windows copy the background when they open.
        EXPECT_EQ(form->showSettings().palette().color(QPalette::Window), QColor(255, 0, 0));
        EXPECT_EQ(form->showInstrument().palette().color(QPalette::Window), QColor(255, 0, 0));
        EXPECT_EQ(open().palette().color(QPalette::Window), QColor(255, 0, 0));
        stop();
    }
}

TEST_F(Skin, OneLineMakesTheLayerBlackAndNoFileKeepsTheBuiltInColours)
{
    start();
    EXPECT_EQ(window(), QColor(255, 249, 252));
    EXPECT_EQ(layer(), QColor(253, 219, 238));
    EXPECT_EQ(form->skin().backgroundText(), "");
    stop();

    TempEnvironment::write(skinPath(), " 16711680 \r\n");
    start();
    EXPECT_EQ(window(), QColor(0, 0, 255));
    EXPECT_EQ(layer(), QColor(0, 0, 0));
    stop();

    // Words read as 0; a number too large for a colour leaves its part alone.
    TempEnvironment::write(skinPath(), "red\r\n99999999999\r\n");
    start();
    EXPECT_EQ(window(), QColor(0, 0, 0));
    EXPECT_EQ(layer(), QColor(253, 219, 238));
    stop();

    TempEnvironment::write(skinPath(), "16777216\r\n-2147483633\r\n");  // no colour; button face
    start();
    EXPECT_EQ(window(), QColor(255, 249, 252));
    EXPECT_EQ(layer(), QApplication::palette().color(QPalette::Button));
}

TEST_F(Skin, AFreshUserColourFileHas225LinesAndLine6HoldsCell5)
{
    frmcolor& d = open();
    click(&d, 100, 100);
    const std::int32_t picked = d.selectedColour();
    clickWidget(d.controls().Command3);
    EXPECT_EQ(d.addColour(), picked);
    const QPoint five = cellCentre(5);
    click(&d, five.x(), five.y());
    EXPECT_EQ(d.selectedCell(), 5);
    EXPECT_FALSE(QFile::exists(userColourPath()));
    clickWidget(d.controls().cmdADD);

    const QByteArray bytes = TempEnvironment::read(userColourPath());
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 226);  // 225 lines and nothing after the last end
    EXPECT_EQ(lines[225], "");
    EXPECT_EQ(lines[5], " " + QByteArray::number(picked) + " \r");
    EXPECT_EQ(lines[4], " 0 \r");
    EXPECT_EQ(d.userColours()[5], picked);
    const Components shown = at(d, five.x(), five.y());
    EXPECT_EQ(packRGB(shown.r, shown.g, shown.b), picked);
    // The palette comes back from the file the next time.
    clickWidget(d.controls().Command3);
    clickWidget(d.controls().Command3);
    EXPECT_EQ(at(d, five.x(), five.y()), shown);
}

TEST_F(Skin, TheUserColourFileRoundTripsByteForByte)
{
    ColourFiles::UserColours colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = static_cast<std::int32_t>(i * 74565 % 16777216);
    colours[5] = systemWindowColour;  // what "Add" stores before any pick
    const std::string text = ColourFiles::serializeUserColours(colours);
    TempEnvironment::write(userColourPath(), QByteArray::fromStdString(text));

    frmcolor& d = openPalette();
    EXPECT_EQ(d.userColours(), colours);
    const Components second = at(d, cellCentre(2).x(), cellCentre(2).y());
    EXPECT_EQ(packRGB(second.r, second.g, second.b), colours[2]);
    const QPoint five = cellCentre(5);
    click(&d, five.x(), five.y());
    clickWidget(d.controls().cmdADD);
    EXPECT_EQ(TempEnvironment::read(userColourPath()).toStdString(), text);
}

TEST_F(Skin, ShortGarbageAndMissingUserColourFiles)
{
    frmcolor& d = openPalette();
    for (int cell : {1, 100, 224})
        EXPECT_EQ(at(d, cellCentre(cell).x(), cellCentre(cell).y()), (Components{0, 0, 0}));

    TempEnvironment::write(userColourPath(), "0\r\n 255 \r\n65280\r\n");
    clickWidget(d.controls().Command3);
    clickWidget(d.controls().Command3);
    EXPECT_EQ(at(d, cellCentre(1).x(), cellCentre(1).y()), (Components{255, 0, 0}));
    EXPECT_EQ(at(d, cellCentre(2).x(), cellCentre(2).y()), (Components{0, 255, 0}));
    // Past the end of the file the cells are black, not the last colour again.
    for (int cell : {3, 224})
        EXPECT_EQ(at(d, cellCentre(cell).x(), cellCentre(cell).y()), (Components{0, 0, 0})) << cell;

    TempEnvironment::write(userColourPath(), "0\r\nblue\r\n255\r\n");
    clickWidget(d.controls().Command3);
    clickWidget(d.controls().Command3);
    EXPECT_EQ(at(d, cellCentre(1).x(), cellCentre(1).y()), (Components{0, 0, 0}));
    EXPECT_EQ(at(d, cellCentre(2).x(), cellCentre(2).y()), (Components{255, 0, 0}));
    // Picking a cell of the user palette shows its colour and numbers.
    click(&d, cellCentre(2).x(), cellCentre(2).y());
    EXPECT_EQ(d.selectedColour(), 255);
    EXPECT_EQ(d.readout()->hex, "FF0000");
}
