#pragma once

#include "ui/menus/FontRecord.h"
#include "ui/menus/IMenuKeys.h"
#include "ui/menus/ISuperClass.h"
#include "ui/menus/MenuItemList.h"
#include "logic/menus/MenuText.h"
#include "ui/menus/Picture.h"
#include "ui/menus/clsStoreMenu.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class Files;
class ImageList;
class MenuStyle;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPainter;
class cMemDC;
class cSuperClass;
class modSubClass;

// The owner-drawn menu engine: reads a window's menus into a list of items,
// measures and draws every item itself (in one of two looks), keeps what
// QAction has no room for (image key, help text, tag, shortcut texts) and
// offers the items by position or by name.
class cMenus : public QObject, public ISuperClass, public IMenuKeys {
    Q_OBJECT
public:
    cMenus(modSubClass& keyHook, Files& files, QObject* parent = nullptr);
    ~cMenus() override;

    // Creation; each does nothing once the engine is created.
    void CreateFromForm(QMainWindow* oForm, bool TopMenus);
    void CreateFromNothing(QWidget* hWnd = nullptr);
    void BuildOn(QMainWindow* hWnd);
    QWidget* handle() const { return root_; }
    bool isCreated() const { return created_; }

    // Items.
    int ItemCount() const { return items_.count(); }
    const clsStoreMenu* item(MenuIndex index) const;
    QString ItemCaption(MenuIndex index = {}) const;
    void setItemCaption(const QString& caption, MenuIndex index = {});
    QString ItemKeyAccel(MenuIndex index = {}) const;
    void setItemKeyAccel(const QString& keyAccel, MenuIndex index = {});
    QString ItemImage(MenuIndex index = {}) const;
    void setItemImage(const QString& key, MenuIndex index = {});
    QString ItemHelpText(MenuIndex index = {}) const;
    void setItemHelpText(const QString& text, MenuIndex index = {});
    QString ItemDescription(MenuIndex index = {}) const;
    void setItemDescription(const QString& text, MenuIndex index = {});
    QString ItemTag(MenuIndex index = {}) const;
    void setItemTag(const QString& text, MenuIndex index = {});
    int ItemCheckedStyle(MenuIndex index = {}) const;
    void setItemCheckedStyle(int style, MenuIndex index = {});
    long ItemOwnerDrawID(MenuIndex index = {}) const;
    void setItemOwnerDrawID(long id, MenuIndex index = {});
    long ItemOwnerDrawData(MenuIndex index = {}) const;
    void setItemOwnerDrawData(long data, MenuIndex index = {});
    bool ItemOwnerDraw(MenuIndex index = {}) const;
    void setItemOwnerDraw(bool ownerDraw, MenuIndex index = {});
    bool ItemChecked(MenuIndex index = {}) const;
    void setItemChecked(bool checked, MenuIndex index = {});
    bool ItemEnabled(MenuIndex index = {}) const;
    void setItemEnabled(bool enabled, MenuIndex index = {});
    bool ItemBreak(MenuIndex index = {}) const;
    void setItemBreak(bool brk, MenuIndex index = {});
    bool ItemSeparator(MenuIndex index = {}) const;
    void setItemSeparator(bool separator, MenuIndex index = {});
    QString ItemKey(MenuIndex index = {}) const;
    int ItemID(MenuIndex index = {}) const;
    int ItemParentID(MenuIndex index = {}) const;
    bool ItemTopMenu(MenuIndex index = {}) const;
    bool ItemParentIndex(MenuIndex index = {}) const;
    QString HelpText(int index) const;
    void setHelpText(int index, const QString& text);

    int IndexForKey(MenuIndex key = {}) const;
    int IndexForID(int id) const;
    int IndexForKeyAccel(const QString& keyAccel) const;

    struct NewItem {
        MenuIndex Parent;
        QString Caption;
        MenuIndex Before;
        bool Enabled = true;
        bool Checked = false;
        int CheckedStyle = 0;
        QString Image;
        QString HelpText;
        bool OwnerDraw = false;
        long OwnerDrawID = 0;
        long OwnerDrawData = 0;
        bool Break = false;
        QString Description;
        QString Key;
        QString Tag;
        QString KeyAccel;
        bool hasParent = false;
        bool hasBefore = false;
    };
    int AddItem(const NewItem& item);
    void RemoveItem(MenuIndex index);
    void ReplaceItem(MenuIndex index);
    // Shows the root menu, or an item's popup, at (x, y) (the cursor when
    // missing); the chosen command ID, 0 when cancelled.
    int PopUpMenu(MenuIndex index = {}, std::optional<QPoint> at = {});

    // Keys (the shared keyboard hook asks these).
    bool KeyAccelPressed(const std::string& keyName) override;
    bool AccelPressed(long) const { return false; }
    bool ConsumeKeys() const override { return consumeKeys_; }
    void setConsumeKeys(bool consume) { consumeKeys_ = consume; }
    QWidget* hWndKeyOwner() const { return keyOwner_; }
    void setHWndKeyOwner(QWidget* window) { keyOwner_ = window; }
    const std::string& acceleratorRegistry() const { return registry_.text(); }

    bool SaveShortcuts(const QString& FileName) const;
    bool LoadShortcuts(const QString& FileName);

    // Look and engine state.
    int CurrentMenuIndex = 0;
    const ImageList* imageList() const { return imageList_; }
    void setImageList(const ImageList* list) { imageList_ = list; }
    int DrawStyle() const { return drawStyle_; }
    void setDrawStyle(int style);
    bool RightToLeft() const { return rightToLeft_; }
    void setRightToLeft(bool rtl) { rightToLeft_ = rtl; }
    std::int32_t BackColor = static_cast<std::int32_t>(0x80000004);
    std::int32_t ForeColor = static_cast<std::int32_t>(0x80000007);
    std::int32_t HighlightColor = static_cast<std::int32_t>(0x8000000D);
    std::int32_t HighlightForeColor = 0xFFFFFF;
    bool ItemOwnerDrawAll = false;
    FontRecord Font() const { return font_; }
    // Nothing means the desktop's menu font.
    void setFont(const std::optional<FontRecord>& font);
    const Picture& BackGroundPicture() const { return background_; }
    void setBackGroundPicture(const Picture& picture) { background_ = picture; }
    int standardItemHeight() const { return standardHeight_; }
    cMemDC& measuringSurface() const { return *measure_; }

    // The item of an action, for the drawing and measuring style.
    int indexOfAction(const QAction* action) const;
    // An item's size, and its look in a state (the bits below) on a painter.
    QSize measureItem(int index);
    void drawItem(int index, QPainter* target, const QRect& rect, int state);
    static constexpr int selectedState = 0x01;
    static constexpr int grayedState = 0x04;
    static constexpr int checkedState = 0x08;
    static constexpr int hotState = 0x40;
    // The check-box tint of the old look, computed once per background colour.
    std::int32_t checkBoxTint() const;

    // Answers a character typed in an open menu.
    void Before(bool& lHandled, long& lReturn, QObject* hWnd, int uMsg, QEvent* event) override;

signals:
    void MenuHighlight(int Index);
    void MenuExit();
    void DrawItem(bool* Cancel, int Index, QPainter* hDC, bool bSelected, int left, int top, int right, int bottom);
    void MeasureItem(bool* Cancel, int Index, int* rWidth, int* rHeight);
    void Click(int Index);

private:
    clsStoreMenu* find(const MenuIndex& index) { return items_.find(index, CurrentMenuIndex); }
    const clsStoreMenu* find(const MenuIndex& index) const { return items_.find(index, CurrentMenuIndex); }
    void readMenu(QWidget* menu, int parentID, int& count, const std::vector<QAction*>& controls);
    void emitClick(const QAction* action);
    void watchMenu(QWidget* menu);
    void applyCaption(clsStoreMenu& item, const QString& caption);
    void registerKeyAccel(clsStoreMenu& item, const QString& keyAccel);
    void refreshText(clsStoreMenu& item);
    void reinsertAll();
    void recomputeHeight();
    int newID() { return nextID_++; }
    template <typename T>
    T fieldOf(MenuIndex index, T clsStoreMenu::*field) const
    {
        const auto* i = find(std::move(index));
        return i ? i->*field : T();
    }
    template <typename T>
    void setField(MenuIndex index, T clsStoreMenu::*field, const T& value)
    {
        if (auto* i = find(std::move(index)))
            i->*field = value;
    }

    modSubClass& keyHook_;
    Files& files_;
    std::unique_ptr<MenuStyle> style_;
    std::unique_ptr<cMemDC> measure_;
    std::vector<std::unique_ptr<cSuperClass>> menuWatchers_;
    MenuItemList items_;
    QPointer<QWidget> root_;
    QPointer<QWidget> owner_;
    QPointer<QWidget> keyOwner_;
    std::vector<QPointer<QWidget>> styled_;
    std::unique_ptr<QMenu> ownRoot_;
    const ImageList* imageList_ = nullptr;
    int drawStyle_ = 0;
    bool rightToLeft_ = false;
    bool topMenus_ = false;
    bool created_ = false;
    bool fromForm_ = false;
    bool consumeKeys_ = true;
    int nextID_ = 100;
    int formIDs_ = 1000000;  // items read from a window never meet the IDs AddItem gives
    int standardHeight_ = 0;
    FontRecord font_;
    Picture background_;
    MenuText::Registry registry_;
    mutable std::int32_t tintInput_ = -1;
    mutable std::int32_t tintResult_ = 0;
};
