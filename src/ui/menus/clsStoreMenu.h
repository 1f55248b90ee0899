#pragma once

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QWidget>

// What the menu engine keeps about one item beyond what the menu itself
// holds (checked, enabled and separator state live in the item's QAction).
struct clsStoreMenu {
    int ID = 0;
    int ParentID = 0;  // the item whose popup holds this one; 0 for the root menu
    QString Name;      // the control's object name, "(" index ")" for arrays
    QString Caption;
    QString KeyAccel;  // key names joined by "|"; the first is shown
    QString AccelChar;
    QPointer<QWidget> hMenu;     // the menu bar or menu holding the item
    QPointer<QMenu> hSubMenu;    // the item's own popup
    int Index = 0;
    bool HasSub = false;
    bool TopMenu = false;
    bool Separator = false;
    QString Image;
    QString HelpText;
    QString Description;
    QString Tag;
    int CheckedStyle = 0;  // 0 check mark, 1 bullet
    bool OwnerDraw = false;
    long OwnerDrawID = 0;
    long OwnerDrawData = 0;
    bool Break = false;
    bool DestroyMe = false;
    QPointer<QWidget> ParentHandle;
    bool AtRunTime = false;
    bool InVisible = false;
    QPointer<QAction> action;
};
