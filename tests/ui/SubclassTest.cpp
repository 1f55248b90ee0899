// Watching a real widget's events, and the application-wide keyboard hook.
#include "ui/menus/IMenuKeys.h"
#include "ui/menus/ISuperClass.h"
#include "ui/menus/cSuperClass.h"
#include "ui/menus/modSubClass.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A widget that counts what reaches its own handling.
class Target : public QWidget {
public:
    int presses = 0;
    int moves = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress)
            ++presses;
        if (e->type() == QEvent::Move)
            ++moves;
        return QWidget::event(e);
    }
};

struct Owner : ISuperClass {
    std::vector<std::string> calls;
    bool handle = false;
    long forced = -1;
    void Before(bool& lHandled, long& lReturn, QObject*, int uMsg, QEvent*) override
    {
        calls.push_back("before " + std::to_string(uMsg));
        lHandled = handle;
        lReturn = 1;
    }
    void After(long& lReturn, QObject*, int uMsg, QEvent*) override
    {
        calls.push_back("after " + std::to_string(uMsg) + " " + std::to_string(lReturn));
        if (forced >= 0)
            lReturn = forced;
    }
};

void click(QWidget* w)
{
    QTest::mousePress(w, Qt::LeftButton);
    QTest::mouseRelease(w, Qt::LeftButton);
}
}  // namespace

TEST(SuperClass, AnEmptyFilterChangesNothing)
{
    Target target;
    Owner owner;
    cSuperClass sub;
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    click(&target);
    target.move(5, 5);
    EXPECT_EQ(target.presses, 1);
    EXPECT_TRUE(owner.calls.empty());
}

TEST(SuperClass, BeforeCanSwallowAnEvent)
{
    Target target;
    Owner owner;
    cSuperClass sub;
    sub.AddMsg(QEvent::MouseButtonPress, true);
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    click(&target);
    EXPECT_EQ(target.presses, 1);  // not handled: the widget still sees it
    owner.handle = true;
    click(&target);
    EXPECT_EQ(target.presses, 1);  // handled: it goes no further
    EXPECT_EQ(owner.calls.size(), 2u);
}

TEST(SuperClass, AfterSeesTheWidgetsResultAndMayChangeIt)
{
    Target target;
    Owner owner;
    cSuperClass sub;
    sub.AddMsg(QEvent::Move, false);
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    QMoveEvent move(QPoint(1, 1), QPoint(0, 0));
    EXPECT_TRUE(QApplication::sendEvent(&target, &move));
    EXPECT_EQ(target.moves, 1);
    ASSERT_EQ(owner.calls.size(), 1u);
    EXPECT_EQ(owner.calls[0], "after " + std::to_string(int(QEvent::Move)) + " 1");
    owner.forced = 0;
    QMoveEvent again(QPoint(2, 2), QPoint(1, 1));
    QApplication::sendEvent(&target, &again);
    EXPECT_FALSE(again.isAccepted());
}

TEST(SuperClass, AMessageListedTwiceIsDecidedByItsFirstEntry)
{
    Target target;
    Owner owner;
    owner.handle = true;
    cSuperClass sub;
    sub.AddMsg(QEvent::MouseButtonPress, false);
    sub.AddMsg(QEvent::MouseButtonPress, true);
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    click(&target);
    EXPECT_EQ(target.presses, 1);
    ASSERT_FALSE(owner.calls.empty());
    EXPECT_EQ(owner.calls[0].rfind("after", 0), 0u);
}

TEST(SuperClass, AllMessagesGoToAfter)
{
    Target target;
    Owner owner;
    cSuperClass sub;
    ASSERT_TRUE(sub.SubClass(&target, &owner, true));
    click(&target);
    EXPECT_EQ(target.presses, 1);
    EXPECT_GE(owner.calls.size(), 2u);
    for (const auto& c : owner.calls)
        EXPECT_EQ(c.rfind("after", 0), 0u);
}

TEST(SuperClass, UnsubclassRestoresPlainBehaviourAndStartsAfresh)
{
    Target target;
    Owner owner;
    owner.handle = true;
    cSuperClass sub;
    sub.AddMsg(QEvent::MouseButtonPress, true);
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    sub.UnSubclass();
    click(&target);
    EXPECT_EQ(target.presses, 1);
    EXPECT_TRUE(owner.calls.empty());
    sub.UnSubclass();  // not subclassed: nothing happens
    // A new SubClass starts from an empty filter.
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    click(&target);
    EXPECT_EQ(target.presses, 2);
    EXPECT_TRUE(owner.calls.empty());
}

TEST(SuperClass, ThirtyFourEntriesWorkAndTheThirtyFifthRefuses)
{
    Target target;
    Owner owner;
    owner.handle = true;
    cSuperClass sub;
    for (int i = 0; i < 33; ++i)
        ASSERT_TRUE(sub.AddMsg(2000 + i, false));
    ASSERT_TRUE(sub.AddMsg(QEvent::MouseButtonPress, true));
    ASSERT_TRUE(sub.SubClass(&target, &owner, false));
    click(&target);
    EXPECT_EQ(target.presses, 0);
    sub.UnSubclass();

    cSuperClass full;
    for (int i = 0; i < 34; ++i)
        full.AddMsg(2000 + i, false);
    EXPECT_FALSE(full.AddMsg(QEvent::MouseButtonPress, true));
    EXPECT_FALSE(full.SubClass(&target, &owner, false));
    EXPECT_FALSE(full.isSubclassed());
    click(&target);
    EXPECT_EQ(target.presses, 1);
}

TEST(SuperClass, DestructionUnsubclasses)
{
    Target target;
    Owner owner;
    owner.handle = true;
    {
        cSuperClass sub;
        sub.AddMsg(QEvent::MouseButtonPress, true);
        sub.SubClass(&target, &owner, false);
    }
    click(&target);
    EXPECT_EQ(target.presses, 1);
}

namespace {
struct Engine : IMenuKeys {
    std::vector<std::string> asked;
    std::string reports;
    bool consume = true;
    bool KeyAccelPressed(const std::string& keyName) override
    {
        asked.push_back(keyName);
        return keyName == reports;
    }
    bool ConsumeKeys() const override { return consume; }
};

void pressAndRelease(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyPress(w, key, mods);
    QTest::keyRelease(w, key, mods);
}
}  // namespace

TEST(KeyboardHook, IsInstalledWithTheFirstEngineAndRemovedWithTheLast)
{
    modSubClass hook;
    Engine a, b;
    EXPECT_FALSE(hook.hookInstalled());
    hook.RegisterMenus(&a);
    hook.RegisterMenus(&b);
    hook.RegisterMenus(&a);  // no duplicates
    EXPECT_TRUE(hook.hookInstalled());
    EXPECT_EQ(hook.registry().size(), 2u);
    hook.UnregisterMenus(&a);
    EXPECT_TRUE(hook.hookInstalled());
    EXPECT_EQ(hook.registry().front(), &b);
    hook.UnregisterMenus(&b);
    EXPECT_FALSE(hook.hookInstalled());
}

TEST(KeyboardHook, OffersPressesOnceAndNeverReleases)
{
    modSubClass hook;
    Engine a;
    hook.RegisterMenus(&a);
    QLineEdit edit;
    pressAndRelease(&edit, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
    pressAndRelease(&edit, Qt::Key_Return, Qt::ControlModifier);  // no name: not offered
    EXPECT_EQ(a.asked, (std::vector<std::string>{"Ctrl+Shift+F1"}));
    hook.UnregisterMenus(&a);
}

TEST(KeyboardHook, AConsumingEngineStopsTheKeyAndTheOthersAreNotAsked)
{
    modSubClass hook;
    Engine first, second;
    first.reports = "Ctrl+S";
    second.reports = "Ctrl+S";
    hook.RegisterMenus(&first);
    hook.RegisterMenus(&second);
    QLineEdit edit;
    QMainWindow window;
    window.setCentralWidget(&edit);
    QAction save(&window);
    save.setShortcut(QKeySequence("Ctrl+S"));
    window.addAction(&save);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy triggered(&save, &QAction::triggered);
    QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(first.asked.size(), 1u);
    EXPECT_TRUE(second.asked.empty());
    EXPECT_EQ(triggered.count(), 0);  // the consumed key triggers no shortcut
    EXPECT_TRUE(edit.text().isEmpty());

    first.consume = false;
    QTest::keyClick(&edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(first.asked.size(), 2u);
    EXPECT_EQ(second.asked.size(), 1u);
    hook.UnregisterMenus(&first);
    hook.UnregisterMenus(&second);
    window.takeCentralWidget();
}
