#pragma once

#include "logic/menus/MenuText.h"
#include "logic/menus/ShortcutFile.h"
#include "ui/menus/clsStoreMenu.h"

#include <QString>

#include <variant>
#include <vector>

// Which item an operation is about: a 1-based position, an item's name, or
// nothing for the engine's CurrentMenuIndex.
struct MenuIndex {
    std::variant<std::monostate, int, QString> value;
    MenuIndex() = default;
    MenuIndex(int position) : value(position) {}
    MenuIndex(const QString& name) : value(name) {}
    MenuIndex(const char* name) : value(QString::fromUtf8(name)) {}
};

// The menu engine's items in their order (1-based positions), and the ways
// of finding one: by position or name, by command ID, by action, by shortcut.
class MenuItemList {
public:
    int count() const { return static_cast<int>(items_.size()); }
    clsStoreMenu& at(int index) { return items_[static_cast<std::size_t>(index - 1)]; }
    const clsStoreMenu& at(int index) const { return items_[static_cast<std::size_t>(index - 1)]; }
    void add(clsStoreMenu item) { items_.push_back(std::move(item)); }
    void erase(int index) { items_.erase(items_.begin() + (index - 1)); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // 0 when nothing matches. A number, or a name that reads as one, is a
    // position; a name used twice finds the later item; nothing is current.
    int indexForKey(const MenuIndex& key, int current) const;
    int indexForID(int id) const;
    int indexForAction(const QAction* action) const;
    // The first item whose shortcuts include keyAccel, when registered.
    int indexForKeyAccel(const QString& keyAccel, const MenuText::Registry& registry) const;

    // Takes item index out of its menu and puts it back in the same place,
    // which makes the menu measure it again.
    void remeasure(int index);
    // Removes the item with this command ID and everything below it, with
    // their actions and popups.
    void remove(int id);
    // One entry per item for the shortcut file: its name, else its position.
    std::vector<ShortcutFile::Entry> shortcutEntries() const;

    clsStoreMenu* find(const MenuIndex& key, int current);
    const clsStoreMenu* find(const MenuIndex& key, int current) const;

private:
    std::vector<clsStoreMenu> items_;
};
