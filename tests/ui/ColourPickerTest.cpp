#include "ui/ColourPickerFixture.h"

#include "logic/colour/PaletteCells.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace color;

TEST_F(ColourPicker, OpensOnceAndWideEnoughForTheRightHandColumn)
{
    frmcolor& d = open();
    EXPECT_EQ(&open(), &d);
    EXPECT_EQ(d.windowTitle(), "Customize Color");
    EXPECT_TRUE(d.isVisible());
    const frmcolorControls& c = d.controls();
    EXPECT_EQ(c.Command1->text(), "O&K");
    EXPECT_EQ(c.Command3->text(), "&Preset");
    EXPECT_EQ(c.Command2->text(), "&Cancel");
    for (QWidget* w : std::initializer_list<QWidget*>{c.Command1, c.Command2, c.Command3, c.Frame2, c.Frame1,
                                                     c.Option1, c.Option2}) {
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_TRUE(d.rect().contains(w->geometry())) << w->objectName().toStdString();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{c.cmbPreset, c.cmdADD, c.lblADDColor, c.Label2})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(d.height(), 275);

    EXPECT_TRUE(c.optH->isChecked());
    EXPECT_EQ(c.txtH->text(), "0");
    EXPECT_EQ(c.txtS->text(), "100");
    EXPECT_EQ(c.txtB->text(), "100");
    EXPECT_EQ(c.Text1->text(), "255");
    EXPECT_EQ(c.Text2->text(), "0");
    EXPECT_EQ(c.Text3->text(), "0");
    EXPECT_EQ(c.lblSelColor->text(), "  Click to Select");
    // The dialog follows the main window's background; the swatch shows the
    // desktop's window colour until the first pick.
    EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 249, 252));
    EXPECT_EQ(c.Option1->palette().color(QPalette::Window), QColor(255, 249, 252));
    EXPECT_EQ(d.selectedColour(), systemWindowColour);
    EXPECT_EQ(c.lblSelColor->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Base));
}

TEST_F(ColourPicker, StartsWithRedMarkerTopLeftAndTicksAtTheBottom)
{
    frmcolor& d = open();
    EXPECT_EQ(d.markerX(), FieldLeft);
    EXPECT_EQ(d.markerY(), FieldTop);
    EXPECT_EQ(d.barPos(), BarBottom);
    expectFieldShows(d, DrawSatBrightField(255, 0, 0), false);
    expectBarShows(d, DrawHueBar());
    EXPECT_EQ(at(d, FieldRight, FieldTop), (Components{255, 0, 0}));
    EXPECT_EQ(at(d, FieldLeft + 100, FieldBottom), (Components{0, 0, 0}));
    EXPECT_EQ(tickRows(d), (std::set<int>{BarBottom - 1, BarBottom}));
}

TEST_F(ColourPicker, PressesHitTheBarAndTheFieldUpToTheirEdges)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    click(&d, BarLeft, 100);
    EXPECT_EQ(d.barPos(), 100);
    EXPECT_EQ(c.txtH->text(), "232");

    click(&d, BarRight + 10, BarBottom + 2);
    EXPECT_EQ(d.barPos(), BarBottom);  // held to the bar
    EXPECT_EQ(c.txtH->text(), "0");
    click(&d, BarRight + 11, 150);
    click(&d, BarLeft - 1, 150);
    click(&d, BarLeft, BarBottom + 3);
    click(&d, BarLeft, BarTop - 3);
    EXPECT_EQ(d.barPos(), BarBottom);
    click(&d, BarLeft, BarTop - 2);
    EXPECT_EQ(d.barPos(), BarTop);
    EXPECT_EQ(c.txtH->text(), "360");

    click(&d, FieldRight, FieldBottom);
    EXPECT_EQ(d.markerX(), FieldRight);
    EXPECT_EQ(d.markerY(), FieldBottom);
    EXPECT_EQ(c.txtS->text(), "100");
    EXPECT_EQ(c.txtB->text(), "0");
    click(&d, FieldRight + 1, 100);
    click(&d, 100, FieldBottom + 1);
    click(&d, FieldLeft - 1, 100);
    EXPECT_EQ(d.markerX(), FieldRight);
    EXPECT_EQ(d.markerY(), FieldBottom);
    // Right-button presses do nothing.
    QTest::mouseClick(&d, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(d.markerX(), FieldRight);
}

TEST_F(ColourPicker, DraggingFromTheFieldAcrossTheBarMovesOnlyTheMarker)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    press(&d, 100, 100);
    EXPECT_EQ(c.txtS->text(), "35");
    EXPECT_EQ(c.txtB->text(), "64");
    move(&d, 200, 50);
    EXPECT_EQ(d.markerX(), 200);
    EXPECT_EQ(d.markerY(), 50);
    move(&d, BarLeft + 5, 120);
    EXPECT_EQ(d.markerX(), FieldRight);
    EXPECT_EQ(d.markerY(), 120);
    EXPECT_EQ(d.barPos(), BarBottom);
    EXPECT_EQ(c.txtH->text(), "0");
    move(&d, 500, 400);
    EXPECT_EQ(d.markerX(), FieldRight);
    EXPECT_EQ(d.markerY(), FieldBottom);
    release(&d, 500, 400);
    const Components field = at(d, FieldRight, FieldBottom);
    EXPECT_EQ(d.selectedColour(), field.r + 256 * field.g + 65536 * field.b);
    EXPECT_EQ(c.Text1->text(), QString::number(field.r));
    // Without the button the mouse picks nothing.
    move(&d, 50, 50);
    EXPECT_EQ(d.markerX(), FieldRight);
    expectFieldShows(d, DrawSatBrightField(255, 0, 0), false);
}

TEST_F(ColourPicker, DraggingTheBarRedrawsTheFieldOnReleaseAndStopsAtHue360)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    press(&d, BarLeft + 2, 200);
    EXPECT_EQ(c.txtH->text(), "91");
    // While dragging, the swatch mixes the hue with S and B (100 and 100).
    EXPECT_EQ(d.selectedColour(), packRGB(120, 255, 0));
    move(&d, BarLeft + 2, 95);
    EXPECT_EQ(d.barPos(), 95);
    expectFieldShows(d, DrawSatBrightField(255, 0, 0), false);  // only on release
    release(&d, BarLeft + 2, 95);
    expectFieldShows(d, DrawSatBrightField(0, 0, 255), false);
    EXPECT_EQ(tickRows(d), (std::set<int>{94, 95}));

    press(&d, BarLeft + 8, 60);
    move(&d, 600, -40);
    EXPECT_EQ(d.barPos(), BarTop);
    EXPECT_EQ(c.txtH->text(), "360");
    release(&d, 600, -40);
    expectFieldShows(d, DrawSatBrightField(255, 0, 0), false);
    EXPECT_EQ(tickRows(d), (std::set<int>{BarTop - 1, BarTop}));
    EXPECT_EQ(d.selectedColour(), 0xFFFFFF);  // the marker sits on white
    EXPECT_EQ(c.Text3->text(), "255");
}

TEST_F(ColourPicker, TypingInHueModeMovesMarkerAndBar)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    type(c.txtS, "50");
    EXPECT_EQ(d.markerX(), 138);
    type(c.txtB, "0");
    EXPECT_EQ(d.markerY(), FieldBottom);
    EXPECT_EQ(d.selectedColour(), 0);
    EXPECT_EQ(c.Text1->text(), "0");

    type(c.txtH, "180");
    EXPECT_FLOAT_EQ(d.barPos(), 137.5f);
    EXPECT_EQ(tickRows(d), (std::set<int>{137, 138}));
    expectFieldShows(d, DrawSatBrightField(0, 255, 252), false);

    type(c.txtH, "-5");
    EXPECT_EQ(c.txtH->text(), "0");
    EXPECT_EQ(d.barPos(), BarBottom);
    EXPECT_EQ(tickRows(d), (std::set<int>{BarBottom - 1, BarBottom}));

    // In the other modes typing waits for the mode button.
    clickWidget(c.optS);
    const int x = d.markerX();
    type(c.txtH, "90");
    type(c.txtS, "10");
    EXPECT_EQ(d.markerX(), x);
    clickWidget(c.optS);
    EXPECT_EQ(d.markerX(), hueToFieldX(90));
}

TEST_F(ColourPicker, HueKeepsTheFocusUntilItIsAWholeDegreeUpTo360)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    for (const char* bad : {"400", "12.5"}) {
        c.txtH->setFocus();
        type(c.txtH, QString::fromLatin1(bad));
        c.txtS->setFocus();
        QTest::qWait(20);
        EXPECT_TRUE(c.txtH->hasFocus()) << bad;
    }
    type(c.txtH, "360");
    c.txtS->setFocus();
    QTest::qWait(20);
    EXPECT_TRUE(c.txtS->hasFocus());
}

TEST_F(ColourPicker, SaturationAndBrightnessModesShowTheirFieldsAndBars)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    clickWidget(c.optS);
    EXPECT_EQ(d.mode(), frmcolor::Mode::Saturation);
    expectFieldShows(d, DrawHueBrightField(), true);
    expectBarShows(d, DrawSatBar(255, 0, 0));

    click(&d, 100, 100);
    EXPECT_EQ(c.txtH->text(), "127");
    EXPECT_EQ(c.txtB->text(), "64");
    const Components picked = at(d, 100, 100);
    expectBarShows(d, DrawSatBar(picked.r, picked.g, picked.b));
    // The swatch takes the bar at its position: the white bottom.
    EXPECT_EQ(d.selectedColour(), 0xFFFFFF);
    click(&d, BarLeft + 1, 137);
    EXPECT_EQ(c.txtS->text(), "50");
    const Components onBar = at(d, BarLeft + 5, 137);
    EXPECT_EQ(d.selectedColour(), packRGB(onBar.r, onBar.g, onBar.b));
    EXPECT_EQ(c.Text2->text(), QString::number(onBar.g));

    clickWidget(c.optB);
    EXPECT_EQ(d.markerX(), 100);
    EXPECT_EQ(d.markerY(), saturationToFieldY(50));
    expectFieldShows(d, DrawHueSatField(), true);
    const Components marked = at(d, d.markerX(), d.markerY());
    expectBarShows(d, DrawBrightBar(marked.r, marked.g, marked.b));
    click(&d, BarLeft + 1, 137);
    EXPECT_EQ(c.txtB->text(), "50");
}

TEST_F(ColourPicker, SafePaletteShowsItsColoursInTheReadout)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    clickWidget(c.Command3);
    EXPECT_EQ(d.presetMode(), 1);
    EXPECT_EQ(c.Command3->text(), "&Picker");
    EXPECT_FALSE(c.Frame2->isVisible());
    EXPECT_TRUE(c.cmbPreset->isVisible());
    EXPECT_EQ(c.cmbPreset->currentText(), "Custom...");
    EXPECT_TRUE(c.cmdADD->isVisible());
    EXPECT_TRUE(c.lblADDColor->isVisible());
    EXPECT_EQ(d.addColour(), d.selectedColour());

    QTest::keyClick(c.cmbPreset, Qt::Key_Down);
    EXPECT_EQ(d.presetMode(), 2);
    EXPECT_FALSE(c.cmdADD->isVisible());
    // A browser palette has no colours: the grid area stays empty, yet a
    // click where a cell would be selects it and reads nothing.
    for (int y = 5; y < 265; ++y)
        for (int x = 5; x < 300; ++x)
            ASSERT_EQ(at(d, x, y), (Components{255, 249, 252})) << x << ", " << y;
    const QPoint third = cellCentre(3);
    click(&d, third.x(), third.y());
    EXPECT_EQ(d.selectedCell(), 3);
    ASSERT_TRUE(d.readout());
    EXPECT_EQ(d.readout()->rgb, (Components{0, 0, 0}));
    EXPECT_EQ(d.readout()->hex, "");
    EXPECT_EQ(d.selectedColour(), systemWindowColour);

    QTest::keyClick(c.cmbPreset, Qt::Key_Down);
    EXPECT_EQ(d.presetMode(), 3);
    QTest::keyClick(c.cmbPreset, Qt::Key_Down);
    EXPECT_EQ(d.presetMode(), 4);
    EXPECT_EQ(c.cmbPreset->currentText(), "Safe Palette (216)");

    const QPoint first = cellCentre(1);
    click(&d, first.x(), first.y());
    EXPECT_EQ(d.readout()->rgb, (Components{0, 0, 0}));
    EXPECT_EQ(d.readout()->hex, "000000");
    EXPECT_EQ(d.selectedColour(), 0);
    const QPoint white = cellCentre(216);
    click(&d, white.x(), white.y());
    EXPECT_EQ(d.readout()->rgb, (Components{255, 255, 255}));
    EXPECT_EQ(d.readout()->hex, "FFFFFF");
    EXPECT_EQ(d.selectedColour(), 0xFFFFFF);
    EXPECT_EQ(at(d, white.x(), white.y()), (Components{255, 255, 255}));
    for (int cell = 217; cell <= 224; ++cell) {
        const QPoint p = cellCentre(cell);
        click(&d, p.x(), p.y());
        EXPECT_EQ(d.selectedCell(), cell);
        EXPECT_EQ(d.readout()->rgb, (Components{0, 0, 0}));
        EXPECT_EQ(d.readout()->hex, "");
        EXPECT_EQ(d.selectedColour(), 0);
        EXPECT_EQ(at(d, p.x(), p.y()), (Components{0, 0, 0}));
    }
    // The readout is painted beside the grid.
    int ink = 0;
    for (int y = frmcolor::readoutTop; y < frmcolor::readoutTop + 50; ++y)
        for (int x = BarRight + 20; x <= BarRight + 100; ++x)
            ink += at(d, x, y).r < 100;
    EXPECT_GT(ink, 20);

    // Outlines and gaps hit nothing; dragging walks from cell to cell.
    const PaletteCells::Rect r = PaletteCells::cellRect(20);
    click(&d, r.left, r.top + 5);
    click(&d, r.right + 1, r.top + 5);
    EXPECT_EQ(d.selectedCell(), 224);
    press(&d, cellCentre(20).x(), cellCentre(20).y());
    move(&d, cellCentre(21).x(), cellCentre(21).y());
    EXPECT_EQ(d.selectedCell(), 21);
    release(&d, cellCentre(21).x(), cellCentre(21).y());
    Components rgb;
    std::string hex;
    EXPECT_EQ(d.selectedColour(), SafeColorFromIndex(21, rgb, hex));
}

TEST_F(ColourPicker, LeavingPresetModeRestoresMarkerAndTicks)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    // Places that the numbers in the boxes lead back to exactly.
    click(&d, 61, 214);
    click(&d, BarLeft + 4, 150);
    const QImage hue = d.surface().copy(0, 0, 300, 275);
    clickWidget(c.Command3);
    clickWidget(c.Command3);
    EXPECT_EQ(d.presetMode(), 0);
    EXPECT_EQ(c.Command3->text(), "&Preset");
    EXPECT_TRUE(c.Frame2->isVisible());
    EXPECT_FALSE(c.cmbPreset->isVisible());
    EXPECT_FALSE(c.cmdADD->isVisible());
    EXPECT_EQ(d.surface().copy(0, 0, 300, 275), hue);
    EXPECT_EQ(tickRows(d), (std::set<int>{149, 150}));

    clickWidget(c.optS);
    click(&d, 61, 163);
    const QImage saturation = d.surface().copy(0, 0, 300, 275);
    clickWidget(c.Command3);
    QTest::keyClick(c.cmbPreset, Qt::Key_End);
    EXPECT_EQ(d.presetMode(), 4);
    clickWidget(c.Command3);
    EXPECT_EQ(d.surface().copy(0, 0, 300, 275), saturation);
}

TEST_F(ColourPicker, CommitTakesTheLayerThenTheBackgroundThenApplies)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    clickWidget(c.Option1);
    click(&d, 100, 100);
    const std::int32_t first = d.selectedColour();
    clickWidget(c.lblSelColor);
    EXPECT_EQ(c.lblSelColor->text(), "  Save");
    EXPECT_FALSE(c.Option1->isEnabled());
    EXPECT_EQ(d.layerColour(), first);

    click(&d, 200, 30);
    const std::int32_t layer = d.selectedColour();
    ASSERT_NE(layer, first);
    clickWidget(c.lblSelColor);  // the layer again, replacing the first
    EXPECT_EQ(d.layerColour(), layer);
    EXPECT_EQ(d.backgroundColour(), std::nullopt);
    EXPECT_TRUE(d.isVisible());

    clickWidget(c.Option2);
    EXPECT_EQ(c.lblSelColor->text(), "  Click to Select");
    EXPECT_FALSE(c.Option1->isChecked());
    click(&d, 40, 40);
    const std::int32_t background = d.selectedColour();
    clickWidget(c.lblSelColor);
    EXPECT_FALSE(c.Option2->isEnabled());
    EXPECT_EQ(d.backgroundColour(), background);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/skincolor.ini"));

    clickWidget(c.lblSelColor);
    EXPECT_FALSE(d.isVisible());
    QTest::qWait(0);
    EXPECT_EQ(form->colourPicker(), nullptr);
    const QColor bg(background & 0xFF, (background >> 8) & 0xFF, (background >> 16) & 0xFF);
    const QColor fg(layer & 0xFF, (layer >> 8) & 0xFF, (layer >> 16) & 0xFF);
    EXPECT_EQ(form->controls().client->palette().color(QPalette::Window), bg);
    EXPECT_EQ(form->controls().Frame1->palette().color(QPalette::Window), bg);
    EXPECT_EQ(form->controls().Shape1->palette().color(QPalette::Window), fg);
    // The chat boxes follow at the next start.
    EXPECT_NE(form->controls().txtRx->palette().color(QPalette::Base), bg);
    EXPECT_EQ(TempEnvironment::read(env.midiFolder() + "/skincolor.ini"),
              QByteArray(" ") + QByteArray::number(background) + " \r\n " + QByteArray::number(layer) + " \r\n");

    // The next opening starts afresh, in the new colour.
    frmcolor& again = open();
    EXPECT_EQ(again.palette().color(QPalette::Window), bg);
    EXPECT_TRUE(again.controls().Option1->isEnabled());
    EXPECT_TRUE(again.controls().Option2->isEnabled());
    EXPECT_EQ(again.layerColour(), std::nullopt);
    EXPECT_EQ(again.backgroundColour(), std::nullopt);

    stop();
    start();
    EXPECT_EQ(form->controls().client->palette().color(QPalette::Window), bg);
    EXPECT_EQ(form->controls().Shape1->palette().color(QPalette::Window), fg);
    EXPECT_EQ(form->controls().txtRx->palette().color(QPalette::Base), bg);
}

TEST_F(ColourPicker, CommitBeforeAnyPickKeepsTheDesktopWindowColour)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    clickWidget(c.Option1);
    clickWidget(c.lblSelColor);
    clickWidget(c.Option2);
    clickWidget(c.lblSelColor);
    clickWidget(c.lblSelColor);
    EXPECT_EQ(TempEnvironment::read(env.midiFolder() + "/skincolor.ini"), "-2147483643 \r\n-2147483643 \r\n");
    const QColor window = QApplication::palette().color(QPalette::Base);
    EXPECT_EQ(form->controls().client->palette().color(QPalette::Window), window);
    EXPECT_EQ(form->controls().Shape1->palette().color(QPalette::Window), window);
    stop();
    start();
    EXPECT_EQ(form->controls().client->palette().color(QPalette::Window), window);
    EXPECT_EQ(form->controls().Shape1->palette().color(QPalette::Window), window);
}

TEST_F(ColourPicker, CancelAndOkCloseWithoutApplying)
{
    for (bool cancel : {true, false}) {
        frmcolor& d = open();
        const frmcolorControls& c = d.controls();
        clickWidget(c.Option1);
        click(&d, 100, 100);
        clickWidget(c.lblSelColor);
        clickWidget(c.Option2);
        clickWidget(c.lblSelColor);
        clickWidget(cancel ? c.Command2 : c.Command1);
        EXPECT_FALSE(d.isVisible());
        QTest::qWait(0);
        EXPECT_EQ(form->colourPicker(), nullptr);
        EXPECT_FALSE(QFile::exists(env.midiFolder() + "/skincolor.ini"));
        EXPECT_EQ(form->controls().client->palette().color(QPalette::Window), QColor(255, 249, 252));
        EXPECT_EQ(form->controls().Shape1->palette().color(QPalette::Window), QColor(253, 219, 238));
    }
}

TEST_F(ColourPicker, ClosingTheMainWindowClosesThePicker)
{
    QPointer<frmcolor> picker = &open();
    form->close();
    EXPECT_TRUE(picker.isNull());
}

TEST_F(ColourPicker, ADoubleClickOnTheSwatchIsOneClick)
{
    frmcolor& d = open();
    const frmcolorControls& c = d.controls();
    clickWidget(c.Option1);
    click(&d, 100, 100);
    clickWidget(c.lblSelColor);  // the layer
    clickWidget(c.Option2);
    click(&d, 40, 40);
    // What the window system delivers for a double-click: it takes the
    // background, and does not also apply and close.
    const QPointF at(10, 10);
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, at, c.lblSelColor->mapToGlobal(at), Qt::LeftButton,
                          down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(c.lblSelColor, &event);
    }
    EXPECT_EQ(d.backgroundColour(), d.selectedColour());
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/skincolor.ini"));
}
