// The menu engine on the main window's real menus.
#include "support/Form1Fixture.h"

#include "ui/menus/cMenus.h"
#include "ui/menus/cMemDC.h"
#include "ui/menus/modSubClass.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
class Menus : public Form1Test {
protected:
    void SetUp() override { start(); }
    cMenus& menus() { return *form->menus(); }
    QString shortcutsFile() const { return env.root() + "/shortcuts.bin"; }
};
}  // namespace

TEST_F(Menus, ReadsTheWindowsMenusDepthFirst)
{
    ASSERT_NE(form->menus(), nullptr);
    cMenus& m = menus();
    ASSERT_EQ(m.ItemCount(), 20);
    const char* names[] = {"mnufile",      "mnuFileSav",   "mnufileload",   "mnufileConnect", "mnuserv",
                           "mnufileclear", "mnuUndoClear", "midiconv",      "mnuSaveTake",    "mnuFileexit",
                           "mnuextr",      "mnuRecord",    "mnuReplaymid",  "mnuReplayTake",  "mnuSet",
                           "mnuinstrx",    "mnucolr",      "mnuhlp",        "mnurdme",        "mnuAbout"};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(m.ItemKey(i + 1), names[i]) << i;
    EXPECT_EQ(m.ItemCaption("mnuFileSav"), "&Save");
    EXPECT_EQ(m.ItemKeyAccel("mnuFileSav"), "F1");
    EXPECT_EQ(m.ItemKeyAccel("mnuReplaymid"), "F12");
    EXPECT_EQ(m.ItemKeyAccel("mnuReplayTake"), "F11");
    EXPECT_EQ(m.ItemKeyAccel("mnuSet"), "");
    EXPECT_TRUE(m.ItemTopMenu("mnufile"));
    EXPECT_FALSE(m.ItemTopMenu("mnuFileSav"));
    EXPECT_EQ(m.ItemParentID("mnuFileSav"), m.ItemID("mnufile"));
    EXPECT_EQ(m.ItemParentID("mnufile"), 0);
    EXPECT_TRUE(m.ItemParentIndex("mnuAbout"));
    EXPECT_FALSE(m.ItemParentIndex("mnuhlp"));
    EXPECT_EQ(m.ItemImage("mnuFileSav"), "sav");
    EXPECT_EQ(m.ItemImage("mnucolr"), "colr");
    EXPECT_EQ(m.item("mnuSave"), nullptr);
    EXPECT_EQ(m.DrawStyle(), 1);
    // Items read from the window register no shortcut; their "&" gives the accelerator character.
    EXPECT_EQ(m.acceleratorRegistry(), "");
    EXPECT_EQ(m.item("mnuFileSav")->AccelChar, "S");
    EXPECT_EQ(m.item("mnuReplaymid")->AccelChar, "R");
    EXPECT_TRUE(m.item("mnuSet")->AccelChar.isEmpty());
    // Command IDs of read items never meet those AddItem gives.
    for (int i = 1; i <= m.ItemCount(); ++i)
        EXPECT_GE(m.ItemID(i), 1000000);
}

TEST_F(Menus, IndexLookUps)
{
    cMenus& m = menus();
    EXPECT_EQ(m.IndexForKey("MNUFILESAV"), 2);
    EXPECT_EQ(m.IndexForKey("99"), 0);
    EXPECT_EQ(m.IndexForKey("3"), 3);
    EXPECT_EQ(m.IndexForKey(0), 0);
    EXPECT_EQ(m.IndexForKey(21), 0);
    m.CurrentMenuIndex = 5;
    EXPECT_EQ(m.IndexForKey(), 5);
    EXPECT_EQ(m.ItemKey(), "mnuserv");
    EXPECT_EQ(m.IndexForID(m.ItemID(7)), 7);
    EXPECT_EQ(m.IndexForID(42), 0);
    // A name used twice: the later item answers.
    const int added = m.AddItem({.Parent = "mnuhlp", .Caption = "Twice", .Key = "mnuAbout", .hasParent = true});
    EXPECT_EQ(m.IndexForKey("mnuAbout"), m.IndexForID(added));
}

TEST_F(Menus, CaptionsSetTheAcceleratorCharacterAndKeepIt)
{
    cMenus& m = menus();
    const int id = m.AddItem({.Parent = "mnufile", .Caption = "Sa&ve", .Key = "extra", .hasParent = true});
    EXPECT_EQ(id, 100);
    EXPECT_EQ(m.item("extra")->AccelChar, "V");
    m.setItemCaption("Save", "extra");
    EXPECT_EQ(m.item("extra")->AccelChar, "V");
    const int fish = m.AddItem({.Parent = "mnufile", .Caption = "Fish && Chips", .Key = "fish", .hasParent = true});
    EXPECT_EQ(fish, 101);
    EXPECT_TRUE(m.item("fish")->AccelChar.isEmpty());
    m.AddItem({.Parent = "mnufile", .Caption = "End&", .Key = "end", .hasParent = true});
    EXPECT_TRUE(m.item("end")->AccelChar.isEmpty());
    // Before an item of the same menu, else at the end.
    m.AddItem({.Parent = "mnufile", .Caption = "First", .Before = "mnuFileSav", .Key = "first", .hasParent = true,
               .hasBefore = true});
    EXPECT_EQ(form->controls().mnufile->actions().first()->text(), "First");
}

TEST_F(Menus, RegisteredShortcutsFireOnEveryKeyTheyName)
{
    cMenus& m = menus();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QSignalSpy clicks(&m, &cMenus::Click);
    m.setItemKeyAccel("Ctrl+S|Ctrl+K", "mnuSet");
    EXPECT_EQ(m.acceleratorRegistry(), "|Ctrl+S|Ctrl+K|");
    EXPECT_EQ(m.IndexForKeyAccel("Ctrl+K"), 15);
    EXPECT_EQ(m.IndexForKeyAccel("F9"), 0);  // shown by an item, but never registered
    EXPECT_EQ(form->controls().mnuSet->text(), "Settings\tCtrl+S");  // the first one is shown
    EXPECT_TRUE(m.KeyAccelPressed("Ctrl+S"));
    EXPECT_TRUE(m.KeyAccelPressed("Ctrl+K"));
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 15);

    m.setItemKeyAccel("Ctrl+T", "mnuSet");
    EXPECT_FALSE(m.KeyAccelPressed("Ctrl+S"));
    EXPECT_EQ(m.acceleratorRegistry(), "|Ctrl+T|");
    m.setItemKeyAccel("Ctrl+U", "mnufile");  // a menu-bar item takes no shortcut
    EXPECT_EQ(m.ItemKeyAccel("mnufile"), "");
    EXPECT_FALSE(m.AccelPressed(0));

    // Through the real keyboard: the hook offers Ctrl+T and the engine takes it.
    QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(clicks.count(), 3);
    // A disabled item does not fire.
    m.setItemEnabled(false, "mnuSet");
    EXPECT_FALSE(m.KeyAccelPressed("Ctrl+T"));
}

TEST_F(Menus, ShortcutsFireOnlyWhileTheirWindowIsActive)
{
    cMenus& m = menus();
    m.setItemKeyAccel("Ctrl+S", "mnuSet");
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QSignalSpy clicks(&m, &cMenus::Click);
    EXPECT_FALSE(m.KeyAccelPressed("Ctrl+S"));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(Menus, ShortcutFilesRoundTripAndRefuseStrangers)
{
    cMenus& m = menus();
    m.setItemKeyAccel("Ctrl+S|F2", "mnuSet");
    m.setItemKeyAccel("Alt+X", "mnucolr");
    ASSERT_TRUE(m.SaveShortcuts(shortcutsFile()));
    const QByteArray saved = TempEnvironment::read(shortcutsFile());
    EXPECT_EQ(saved.count('\0'), 3 + 3 * 20);
    EXPECT_TRUE(saved.startsWith(QByteArray("\0[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0K\0mnufile\0\0", 46)));
    EXPECT_TRUE(saved.contains(QByteArray("\0K\0mnuReplayTake\0F11\0", 21)));

    m.setItemKeyAccel("", "mnuSet");
    m.setItemKeyAccel("F9", "mnucolr");
    ASSERT_TRUE(m.LoadShortcuts(shortcutsFile()));
    EXPECT_EQ(m.ItemKeyAccel("mnuSet"), "Ctrl+S|F2");
    EXPECT_EQ(m.ItemKeyAccel("mnucolr"), "Alt+X");

    TempEnvironment::write(shortcutsFile(), "x" + saved.mid(1));
    EXPECT_FALSE(m.LoadShortcuts(shortcutsFile()));
    EXPECT_FALSE(m.LoadShortcuts(env.root() + "/missing"));
    // An entry cut short after its name clears that item's shortcut.
    TempEnvironment::write(shortcutsFile(), QByteArray("\0[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0K\0mnuSet\0", 44));
    EXPECT_TRUE(m.LoadShortcuts(shortcutsFile()));
    EXPECT_EQ(m.ItemKeyAccel("mnuSet"), "");
}

TEST_F(Menus, AnEngineWithoutItemsSavesOnlyTheHeader)
{
    modSubClass hook;
    cMenus empty(hook, files);
    ASSERT_TRUE(empty.SaveShortcuts(shortcutsFile()));
    EXPECT_EQ(TempEnvironment::read(shortcutsFile()), QByteArray("\0[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0", 35));
}

TEST_F(Menus, ACharacterTypedInAnOpenMenuRunsItsItemOrNothing)
{
    cMenus& m = menus();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QSignalSpy highlights(&m, &cMenus::MenuHighlight);
    // Alt+E opens "&Extra" from the bar; R runs its first item with that
    // character ("&Record", not "&Replay"); a character no item has does nothing.
    QTest::keyClick(form.get(), Qt::Key_E, Qt::AltModifier);
    QMenu* extra = form->controls().mnuextr;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(extra));
    QTest::keyClick(extra, Qt::Key_Q);
    EXPECT_TRUE(extra->isVisible());
    QTest::keyClick(extra, Qt::Key_R);
    EXPECT_TRUE(form->controls().mnuRecord->isChecked());
    EXPECT_FALSE(extra->isVisible());

    // Each item highlighted in a menu opened from the bar is reported once.
    QTest::keyClick(form.get(), Qt::Key_E, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(extra));
    highlights.clear();
    extra->setActiveAction(form->controls().mnuSet);
    ASSERT_EQ(highlights.count(), 1);
    EXPECT_EQ(highlights.at(0).at(0).toInt(), m.IndexForKey("mnuSet"));
    extra->hide();
}

TEST_F(Menus, BuildOnPutsTheItemsOnABarThatLaterTopItemsJoin)
{
    modSubClass hook;
    QtFiles files;
    cMenus m(hook, files);
    QMainWindow window;
    m.CreateFromNothing();
    m.AddItem({.Caption = "&Tools", .Key = "tools"});
    m.BuildOn(&window);
    ASSERT_TRUE(m.isCreated());
    QMenuBar* bar = window.menuBar();
    EXPECT_EQ(m.handle(), bar);
    m.AddItem({.Caption = "&Window", .Key = "window"});
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions().at(1)->text(), "&Window");
    EXPECT_TRUE(m.ItemTopMenu("window"));
    EXPECT_TRUE(m.ItemTopMenu("tools"));
}

TEST_F(Menus, RemovingAndPoppingUp)
{
    cMenus& m = menus();
    const int parent = m.AddItem({.Parent = "mnuhlp", .Caption = "More", .Key = "more", .hasParent = true});
    m.AddItem({.Parent = "more", .Caption = "Inner", .Key = "inner", .hasParent = true});
    EXPECT_TRUE(m.item("more")->HasSub);
    const int before = m.ItemCount();
    m.RemoveItem("more");
    EXPECT_EQ(m.ItemCount(), before - 2);
    EXPECT_EQ(m.IndexForID(parent), 0);
    EXPECT_EQ(m.PopUpMenu("mnuFileSav"), 0);  // no popup of its own
    QTimer::singleShot(50, [] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            popup->close();
    });
    EXPECT_EQ(m.PopUpMenu("mnuhlp", QPoint(5, 5)), 0);  // cancelled
}
