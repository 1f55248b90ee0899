#include "support/Form1Fixture.h"

#include "ui/dialogs/Form2.h"
#include "ui/dialogs/Form3.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {
class Dialogs : public Form1Test {
protected:
    QString settingsPath() const { return env.midiFolder() + QStringLiteral("/instruments.ini"); }

    Form2& openSettings()
    {
        form->controls().mnuSet->trigger();
        return *form->settingsDialog();
    }
    void fill(Form2& dialog, const std::array<const char*, 6>& texts)
    {
        for (std::size_t i = 0; i < 6; ++i) {
            dialog.boxes()[i]->clear();
            QTest::keyClicks(dialog.boxes()[i], QString::fromLatin1(texts[i]));
        }
    }
};

TEST_F(Dialogs, SettingsOpenWithTheFileAndTheWindowColour)
{
    writeKeyboardSettings("3\r\n64\r\n2\r\n10\r\n200\r\n50\r\n");
    start();
    Form2& dialog = openSettings();
    EXPECT_EQ(dialog.windowTitle(), " Velorin Settings");
    EXPECT_EQ(dialog.size(), QSize(359, 167));
    const char* expected[] = {"3", "64", "2", "10", "200", "50"};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(dialog.boxes()[i]->text(), expected[i]);
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(255, 249, 252));
    EXPECT_EQ(&openSettings(), &dialog);  // shown again, not made twice
}

TEST_F(Dialogs, OkWritesTheSixLinesAndAppliesBaseNoteTempoAndMultiplier)
{
    start();
    Form2& dialog = openSettings();
    fill(dialog, {"0", " 64 ", "1", "0", "100", "5"});
    QTest::mouseClick(dialog.cmdOK(), Qt::LeftButton);
    EXPECT_EQ(TempEnvironment::read(settingsPath()), "0\r\n64\r\n1\r\n0\r\n100\r\n5\r\n");
    EXPECT_EQ(form->baseNote, 64);
    EXPECT_EQ(form->tempo, 5);
    EXPECT_EQ(form->times, "1");
    QTest::qWait(0);
    EXPECT_EQ(form->settingsDialog(), nullptr);  // closed and unloaded
    // The channel and the tempo range wait for the next start.
    EXPECT_EQ(form->controls().tdelay->maximum(), 0);
    stop();
    start();
    EXPECT_EQ(form->controls().tdelay->maximum(), 100);
    EXPECT_EQ(form->baseNote, 64);
}

TEST_F(Dialogs, ABoxThatIsNotANumberAsksForARetryAndWritesNothing)
{
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    start();
    Form2& dialog = openSettings();
    dialog.boxes()[0]->clear();
    dialog.ok();
    EXPECT_EQ(dialog.cmdOK()->text(), "Retry");
    for (const char* bad : {"x", "1-", "..", "-"}) {
        fill(dialog, {"0", bad, "1", "0", "100", "0"});
        dialog.ok();
        EXPECT_EQ(dialog.cmdOK()->text(), "Retry");
    }
    EXPECT_EQ(TempEnvironment::read(settingsPath()), "0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    EXPECT_EQ(form->baseNote, 60);
    EXPECT_TRUE(dialog.isVisible() || !form->isVisible());
    fill(dialog, {"-1", "-5", ".5", "1.", "+99", "0"});
    dialog.ok();
    EXPECT_EQ(TempEnvironment::read(settingsPath()), "-1\r\n-5\r\n.5\r\n1.\r\n+99\r\n0\r\n");
}

TEST_F(Dialogs, WithoutAFileTheBoxesAreEmptyAndOkRetries)
{
    start();
    Form2& dialog = openSettings();
    for (auto* box : dialog.boxes())
        EXPECT_TRUE(box->text().isEmpty());
    dialog.ok();
    EXPECT_EQ(dialog.cmdOK()->text(), "Retry");
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

TEST_F(Dialogs, AMissingMidiFolderLosesTheFileButTheValuesApply)
{
    start();
    QDir(env.midiFolder()).removeRecursively();
    Form2& dialog = openSettings();
    fill(dialog, {"0", "62", "2", "0", "100", "0"});
    dialog.ok();
    EXPECT_FALSE(QFile::exists(settingsPath()));
    EXPECT_EQ(form->baseNote, 62);
    EXPECT_EQ(form->times, "2");
}

TEST_F(Dialogs, BoxesKeepToTheirLengths)
{
    start();
    Form2& dialog = openSettings();
    fill(dialog, {"123", "4567", "89", "1000", "1000", "1000"});
    EXPECT_EQ(dialog.boxes()[0]->text(), "12");
    EXPECT_EQ(dialog.boxes()[1]->text(), "456");
    EXPECT_EQ(dialog.boxes()[5]->text(), "100");
    // The right-hand boxes stand clear of their labels.
    for (std::size_t i = 3; i < 6; ++i)
        EXPECT_EQ(dialog.boxes()[i]->x(), 256);
}

TEST_F(Dialogs, ALineLongerThanItsBoxShowsWholeAndOkKeepsIt)
{
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n1000\r\n0\r\n");
    start();
    Form2& dialog = openSettings();
    EXPECT_EQ(dialog.boxes()[4]->text(), "1000");
    QTest::keyClick(dialog.boxes()[4], Qt::Key_5);  // typing still stops at the limit
    EXPECT_EQ(dialog.boxes()[4]->text(), "1000");
    QTest::mouseClick(dialog.cmdOK(), Qt::LeftButton);
    EXPECT_EQ(TempEnvironment::read(settingsPath()), "0\r\n60\r\n1\r\n0\r\n1000\r\n0\r\n");
}

TEST_F(Dialogs, InstrumentDialogSelectsTheNumberTyped)
{
    start();
    form->controls().mnuinstrx->trigger();
    Form3* dialog = form->instrumentDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Select Instrument");
    QTest::keyClicks(dialog->patchBox(), "12abc");
    EXPECT_EQ(dialog->patchBox()->text(), "12a");
    QTest::keyClick(dialog->patchBox(), Qt::Key_Return);
    EXPECT_EQ(form->patch(), 12);
    EXPECT_EQ(form->controls().instru->text(), "Marimba");
    QTest::qWait(0);
    EXPECT_EQ(form->instrumentDialog(), nullptr);
}

TEST_F(Dialogs, InstrumentDialogIgnoresNumbersOutOfRangeAndTakesEmptyAsZero)
{
    start();
    form->controls().HScrollPatch->setValue(50);
    Form3& dialog = form->showInstrument();
    QTest::keyClicks(dialog.patchBox(), "128");
    QTest::mouseClick(dialog.cmdOK(), Qt::LeftButton);
    EXPECT_EQ(form->patch(), 50);
    EXPECT_EQ(form->instrumentDialog(), &dialog);
    dialog.patchBox()->setText("-1");
    dialog.ok();
    EXPECT_EQ(form->patch(), 50);
    dialog.patchBox()->setText("127");
    dialog.ok();
    EXPECT_EQ(form->patch(), 127);

    Form3& again = form->showInstrument();
    again.ok();
    EXPECT_EQ(form->patch(), 0);
}

TEST_F(Dialogs, InstrumentDialogCarriesItsPicture)
{
    start();
    Form3& dialog = form->showInstrument();
    EXPECT_EQ(dialog.size(), QSize(766, 385));
    ASSERT_FALSE(dialog.image()->pixmap().isNull());
    EXPECT_EQ(dialog.image()->pixmap().size(), QSize(771, 325));
}

TEST_F(Dialogs, ClosingTheMainWindowClosesTheDialogs)
{
    start();
    QPointer<Form2> settingsDialog = &form->showSettings();
    QPointer<Form3> instrument = &form->showInstrument();
    form->close();
    EXPECT_TRUE(settingsDialog.isNull());
    EXPECT_TRUE(instrument.isNull());
}

}  // namespace
