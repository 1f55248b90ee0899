#include "support/Form1Fixture.h"

#include "ui/keyboard/PianoKey.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

namespace {
class Notes : public Form1Test {
protected:
    void SetUp() override
    {
        writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
        start();
        form->controls().HScrollPatch->setValue(6);  // a patch whose note-off is 0x80
        midi.clear();
    }
    PianoKey* key(int i) { return form->controls().key[static_cast<std::size_t>(i)]; }
};
}  // namespace

TEST_F(Notes, NoteOnAndOffSoundTheKeyAndShowIt)
{
    form->NoteOn(0);
    EXPECT_TRUE(key(0)->shownPressed());
    EXPECT_EQ(key(0)->textColour(), QColor(255, 0, 0));
    EXPECT_EQ(key(0)->background(), QColor(255, 255, 192));
    form->NoteOff(0);
    EXPECT_FALSE(key(0)->shownPressed());
    EXPECT_EQ(key(0)->textColour(), QColor(192, 0, 192));
    EXPECT_EQ(key(0)->background(), QColor(255, 255, 255));
    form->NoteOn(40);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x7F3C90, 0x3C80, 0x7F6490}));
}

TEST_F(Notes, BlackKeysKeepTheirBackground)
{
    form->NoteOn(1);
    EXPECT_EQ(key(1)->background(), QColor(64, 0, 0));
    EXPECT_EQ(key(1)->textColour(), QColor(255, 0, 0));
    form->NoteOff(1);
    EXPECT_EQ(key(1)->background(), QColor(64, 0, 0));
    EXPECT_EQ(key(1)->textColour(), QColor(192, 0, 192));
}

TEST_F(Notes, AKeyShownPressedDoesNotSoundAgain)
{
    // Two sources hold the key: it sounds once, until the last lets go.
    form->NoteOn(12);
    form->input().mouseDown(12);
    form->NoteOn(12);  // held already by the same source: nothing more
    form->NoteOff(12);
    EXPECT_TRUE(form->controls().key[12]->shownPressed());
    form->input().mouseUp(12);
    form->NoteOff(12);  // a release is shown and sent even when nothing is pressed
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x7F4890, 0x4880, 0x4880}));
}

TEST_F(Notes, IndicesWithoutAKeySoundOnlyTheirRelease)
{
    form->NoteOn(-1);
    form->NoteOff(-1);
    form->NoteOn(41);
    form->NoteOn(-7);
    EXPECT_TRUE(midi.messages().empty());
    form->NoteOff(41);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x6580}));
}

TEST_F(Notes, PatchesZeroToFiveLetTheNoteRing)
{
    form->controls().HScrollPatch->setValue(3);
    midi.clear();
    form->NoteOn(0);
    form->NoteOff(0);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x7F3C90, 0x3C8C}));
}

TEST_F(Notes, NoteOnGivesTheKeyTheFocus)
{
    form->controls().txtSend->setFocus();
    form->NoteOn(7);
    EXPECT_EQ(form->focusWidget(), key(7));
}

TEST_F(Notes, APatchChangeNamesSendsAndHighlightsForTwoSeconds)
{
    QLabel* instru = form->controls().instru;
    form->controls().HScrollPatch->setValue(19);
    EXPECT_EQ(instru->text(), "Church Organ");
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x13C0}));
    EXPECT_EQ(textColour(instru), QColor(192, 64, 0));
    EXPECT_TRUE(form->Timer3().isActive());
    EXPECT_EQ(form->Timer3().interval(), 2000);
    // The highlight ends when the timer fires.
    emit form->Timer3().timeout({});
    EXPECT_EQ(textColour(instru), form->palette().color(QPalette::ButtonText));
    EXPECT_FALSE(form->Timer3().isActive());
}

TEST_F(Notes, TheProgramChangeFollowsTheChannelOfTheNotes)
{
    form->midi().midiChannel = 3;
    form->controls().HScrollPatch->setValue(0);
    form->NoteOn(0);
    form->NoteOff(0);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x00C3, 0x7F3C93, 0x3C8F}));
}

TEST_F(Notes, ThePatchBarTakesTheFocusAndADragChangesThePatchOnceOnRelease)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QScrollBar* bar = form->controls().HScrollPatch;
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    option.upsideDown = bar->invertedAppearance();
    const QPoint thumb =
        bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
    EXPECT_EQ(form->focusWidget(), bar);
    EXPECT_EQ(textColour(form->controls().instru), QColor(192, 64, 0));
    for (int dx = 20; dx <= 200; dx += 20)
        QTest::mouseMove(bar, thumb + QPoint(dx, 0));
    EXPECT_TRUE(midi.messages().empty()) << "no program change while the thumb moves";
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb + QPoint(200, 0));
    ASSERT_EQ(midi.messages().size(), 1u);
    EXPECT_EQ(midi.messages()[0] & 0xF0u, 0xC0u);
    EXPECT_GT(bar->value(), 6);
    EXPECT_EQ(midi.messages()[0] >> 8, static_cast<std::uint32_t>(bar->value()));
}
