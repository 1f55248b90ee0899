#include "ui/menus/MenuItemList.h"

#include "logic/base/NumberText.h"

int MenuItemList::indexForKey(const MenuIndex& key, int current) const
{
    if (std::holds_alternative<std::monostate>(key.value))
        return current;
    const auto inRange = [this](double n) { return n >= 1 && n <= count() ? static_cast<int>(n) : 0; };
    if (const int* n = std::get_if<int>(&key.value))
        return inRange(*n);
    const QString& name = std::get<QString>(key.value);
    if (const auto n = NumberText::strictNumber(name.toStdString()))
        return inRange(NumberText::roundHalfEven(*n));
    int found = 0;
    for (int i = 1; i <= count(); ++i)
        if (at(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    return found;
}

int MenuItemList::indexForID(int id) const
{
    for (int i = 1; i <= count(); ++i)
        if (at(i).ID == id)
            return i;
    return 0;
}

int MenuItemList::indexForAction(const QAction* action) const
{
    if (!action)
        return 0;
    for (int i = 1; i <= count(); ++i)
        if (at(i).action == action)
            return i;
    return 0;
}

int MenuItemList::indexForKeyAccel(const QString& keyAccel, const MenuText::Registry& registry) const
{
    const std::string name = keyAccel.toStdString();
    if (!registry.contains(name))
        return 0;
    for (int i = 1; i <= count(); ++i)
        if (MenuText::holds(at(i).KeyAccel.toStdString(), name))
            return i;
    return 0;
}

clsStoreMenu* MenuItemList::find(const MenuIndex& key, int current)
{
    const int i = indexForKey(key, current);
    return i ? &at(i) : nullptr;
}

const clsStoreMenu* MenuItemList::find(const MenuIndex& key, int current) const
{
    const int i = indexForKey(key, current);
    return i ? &at(i) : nullptr;
}

void MenuItemList::remeasure(int index)
{
    clsStoreMenu& r = at(index);
    if (!r.action || !r.hMenu)
        return;
    QWidget* menu = r.hMenu;
    const QList<QAction*> actions = menu->actions();
    const auto pos = actions.indexOf(r.action.data());
    if (pos < 0)
        return;
    QAction* next = pos + 1 < actions.size() ? actions[pos + 1] : nullptr;
    menu->removeAction(r.action);
    menu->insertAction(next, r.action);
}

void MenuItemList::remove(int id)
{
    std::vector<int> children;
    for (const auto& r : items_)
        if (r.ParentID == id)
            children.push_back(r.ID);
    for (int child : children)
        remove(child);
    const int i = indexForID(id);
    if (!i)
        return;
    clsStoreMenu& r = at(i);
    if (r.hMenu && r.action)
        r.hMenu->removeAction(r.action);
    delete r.hSubMenu.data();
    delete r.action.data();
    erase(i);
}

std::vector<ShortcutFile::Entry> MenuItemList::shortcutEntries() const
{
    std::vector<ShortcutFile::Entry> entries;
    for (int i = 1; i <= count(); ++i) {
        const clsStoreMenu& r = at(i);
        const bool named = !r.Name.isEmpty();
        entries.push_back({named, named ? r.Name.toStdString() : std::to_string(i), r.KeyAccel.toStdString()});
    }
    return entries;
}
