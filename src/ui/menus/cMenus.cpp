#include "ui/menus/cMenus.h"

#include "logic/base/Files.h"
#include "logic/base/NumberText.h"
#include "ui/window/SystemColour.h"
#include "ui/window/QtColour.h"
#include "ui/menus/MenuItemPainter.h"
#include "ui/menus/MenuStyle.h"
#include "logic/menus/ShortcutFile.h"
#include "ui/menus/cMemDC.h"
#include "ui/menus/cSuperClass.h"
#include "ui/menus/modSubClass.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {
QString nameOf(const QAction* a)
{
    if (!a->objectName().isEmpty())
        return a->objectName();
    return a->menu() ? a->menu()->objectName() : QString();
}

std::string local(const QString& s) { return s.toStdString(); }
QString qt(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

cMenus::cMenus(modSubClass& keyHook, Files& files, QObject* parent)
    : QObject(parent), keyHook_(keyHook), files_(files), style_(std::make_unique<MenuStyle>(*this)),
      measure_(std::make_unique<cMemDC>())
{
    measure_->Init(100, 100);
    font_ = cMemDC::SystemMenuFont();
    measure_->setFont(font_);
    recomputeHeight();
    keyHook_.RegisterMenus(this);
}

cMenus::~cMenus()
{
    keyHook_.UnregisterMenus(this);
    registry_.clear();
    menuWatchers_.clear();
    for (const auto& w : styled_)
        if (w)
            w->setStyle(nullptr);
}

// --- creation -------------------------------------------------------------

void cMenus::CreateFromForm(QMainWindow* oForm, bool TopMenus)
{
    if (created_ || !oForm)
        return;
    topMenus_ = TopMenus;
    owner_ = oForm;
    keyOwner_ = oForm;
    fromForm_ = true;
    QMenuBar* bar = oForm->menuBar();
    root_ = bar;
    rightToLeft_ = oForm->layoutDirection() == Qt::RightToLeft;
    watchMenu(bar);
    int count = 0;
    readMenu(bar, 0, count, {});
    created_ = true;
}

void cMenus::CreateFromNothing(QWidget* hWnd)
{
    if (created_)
        return;
    ownRoot_ = std::make_unique<QMenu>();
    root_ = ownRoot_.get();
    watchMenu(root_);
    if (hWnd) {
        owner_ = hWnd;
        keyOwner_ = hWnd;
        created_ = true;
    }
}

void cMenus::BuildOn(QMainWindow* hWnd)
{
    if (created_ || !hWnd)
        return;
    owner_ = hWnd;
    keyOwner_ = hWnd;
    auto* bar = new QMenuBar(hWnd);
    if (root_) {
        bar->addActions(root_->actions());
        // The bar is the root from now on: its items, and those added later.
        for (int i = 1; i <= ItemCount(); ++i)
            if (items_.at(i).hMenu == root_)
                items_.at(i).hMenu = bar;
    }
    root_ = bar;
    hWnd->setMenuBar(bar);
    watchMenu(bar);
    created_ = true;
}

void cMenus::readMenu(QWidget* menu, int parentID, int& count, const std::vector<QAction*>& controls)
{
    const QList<QAction*> actions = menu->actions();
    for (int p = 0; p < actions.size(); ++p) {
        QAction* a = actions[p];
        clsStoreMenu r;
        r.ID = formIDs_++;
        r.ParentID = parentID;
        r.Separator = a->isSeparator();
        r.hSubMenu = a->menu();
        r.hMenu = menu;
        r.Index = p;
        r.TopMenu = menu == root_;
        QString text = a->text();
        if (!text.contains(QLatin1Char('\t')) && !a->shortcut().isEmpty())
            text += QLatin1Char('\t') + a->shortcut().toString(QKeySequence::NativeText);
        const auto split = MenuText::splitAtTab(local(text));
        // The "&" of the caption gives the character that runs the item in its open menu.
        applyCaption(r, qt(split.caption));
        r.KeyAccel = qt(split.shortcut);
        ++count;
        r.Name = nameOf(a);
        r.Tag = a->data().toString();
        r.action = a;
        r.HasSub = a->menu() != nullptr;
        connect(a, &QAction::triggered, this, [this, a] { emitClick(a); });
        items_.add(r);
        if (a->menu()) {
            watchMenu(a->menu());
            readMenu(a->menu(), r.ID, count, controls);
        }
    }
}

void cMenus::emitClick(const QAction* action)
{
    if (const int i = indexOfAction(action))
        emit Click(IndexForKey(items_.at(i).Name));
}

void cMenus::watchMenu(QWidget* menu)
{
    menu->setStyle(style_.get());
    styled_.emplace_back(menu);
    const auto hovered = [this](QAction* a) {
        const int i = indexOfAction(a);
        if (i)
            emit MenuHighlight(IndexForKey(items_.at(i).Name));
        else
            emit MenuExit();
    };
    if (auto* bar = qobject_cast<QMenuBar*>(menu)) {
        // A menu passes its own items' hovering on to the bar it opened from:
        // those are answered by the menu, once.
        connect(bar, &QMenuBar::hovered, this, [bar, hovered](QAction* a) {
            if (bar->actions().contains(a))
                hovered(a);
        });
        return;
    }
    auto* popup = qobject_cast<QMenu*>(menu);
    if (!popup)
        return;
    connect(popup, &QMenu::hovered, this, hovered);
    connect(popup, &QMenu::aboutToHide, this, [this, popup] {
        // The menu loop ends when a menu opened from the bar (or on its own) closes.
        if (!qobject_cast<QMenu*>(popup->parentWidget()) || popup == root_)
            emit MenuExit();
    });
    // Characters typed in an open menu come here before the menu sees them.
    auto watcher = std::make_unique<cSuperClass>();
    watcher->AddMsg(QEvent::KeyPress, true);
    watcher->SubClass(popup, this, false);
    menuWatchers_.push_back(std::move(watcher));
}

// --- look-ups ---------------------------------------------------------------

int cMenus::IndexForKey(MenuIndex key) const
{
    return items_.indexForKey(key, CurrentMenuIndex);
}

int cMenus::IndexForID(int id) const
{
    return items_.indexForID(id);
}

int cMenus::IndexForKeyAccel(const QString& keyAccel) const
{
    return items_.indexForKeyAccel(keyAccel, registry_);
}

int cMenus::indexOfAction(const QAction* action) const
{
    return items_.indexForAction(action);
}

const clsStoreMenu* cMenus::item(MenuIndex index) const
{
    return find(index);
}

// --- texts and shortcuts ------------------------------------------------------

void cMenus::applyCaption(clsStoreMenu& item, const QString& caption)
{
    item.Caption = caption;
    if (const auto c = MenuText::accelCharOf(local(caption)))
        item.AccelChar = QString(QLatin1Char(*c));
}

void cMenus::registerKeyAccel(clsStoreMenu& item, const QString& keyAccel)
{
    const std::string text = MenuText::validated(local(keyAccel));
    registry_.replace(local(item.KeyAccel), text);
    item.KeyAccel = qt(text);
}

void cMenus::refreshText(clsStoreMenu& item)
{
    if (!item.action)
        return;
    // The menu shows the first shortcut; the action's own key binding stays.
    const QString shown = qt(MenuText::displayed(local(item.KeyAccel)));
    const QString own = item.action->shortcut().toString(QKeySequence::NativeText);
    item.action->setText(shown.isEmpty() || shown == own ? item.Caption : item.Caption + QLatin1Char('\t') + shown);
}

QString cMenus::ItemCaption(MenuIndex index) const
{
    const auto* i = find(std::move(index));
    return i ? i->Caption : QString();
}

void cMenus::setItemCaption(const QString& caption, MenuIndex index)
{
    if (auto* i = find(index)) {
        applyCaption(*i, caption);
        refreshText(*i);
        ReplaceItem(index);
    }
}

QString cMenus::ItemKeyAccel(MenuIndex index) const
{
    const auto* i = find(std::move(index));
    return i ? i->KeyAccel : QString();
}

void cMenus::setItemKeyAccel(const QString& keyAccel, MenuIndex index)
{
    auto* i = find(index);
    if (!i || i->TopMenu || i->KeyAccel == keyAccel)
        return;
    registerKeyAccel(*i, keyAccel);
    refreshText(*i);
    ReplaceItem(index);
}

QString cMenus::ItemImage(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::Image); }
void cMenus::setItemImage(const QString& key, MenuIndex index) { setField(std::move(index), &clsStoreMenu::Image, key); }
QString cMenus::ItemHelpText(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::HelpText); }
void cMenus::setItemHelpText(const QString& text, MenuIndex index)
{
    setField(std::move(index), &clsStoreMenu::HelpText, text);
}
QString cMenus::ItemDescription(MenuIndex index) const
{
    return fieldOf(std::move(index), &clsStoreMenu::Description);
}
void cMenus::setItemDescription(const QString& text, MenuIndex index)
{
    setField(std::move(index), &clsStoreMenu::Description, text);
}
QString cMenus::ItemTag(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::Tag); }
void cMenus::setItemTag(const QString& text, MenuIndex index) { setField(std::move(index), &clsStoreMenu::Tag, text); }
int cMenus::ItemCheckedStyle(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::CheckedStyle); }
void cMenus::setItemCheckedStyle(int style, MenuIndex index)
{
    setField(std::move(index), &clsStoreMenu::CheckedStyle, style);
}
long cMenus::ItemOwnerDrawID(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::OwnerDrawID); }
void cMenus::setItemOwnerDrawID(long id, MenuIndex index) { setField(std::move(index), &clsStoreMenu::OwnerDrawID, id); }
long cMenus::ItemOwnerDrawData(MenuIndex index) const
{
    return fieldOf(std::move(index), &clsStoreMenu::OwnerDrawData);
}
void cMenus::setItemOwnerDrawData(long data, MenuIndex index)
{
    setField(std::move(index), &clsStoreMenu::OwnerDrawData, data);
}
bool cMenus::ItemOwnerDraw(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::OwnerDraw); }
void cMenus::setItemOwnerDraw(bool ownerDraw, MenuIndex index)
{
    auto* i = find(index);
    if (i && i->OwnerDraw != ownerDraw) {
        i->OwnerDraw = ownerDraw;
        ReplaceItem(index);
    }
}
bool cMenus::ItemBreak(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::Break); }
void cMenus::setItemBreak(bool brk, MenuIndex index) { setField(std::move(index), &clsStoreMenu::Break, brk); }
QString cMenus::ItemKey(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::Name); }
int cMenus::ItemID(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::ID); }
int cMenus::ItemParentID(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::ParentID); }
bool cMenus::ItemTopMenu(MenuIndex index) const { return fieldOf(std::move(index), &clsStoreMenu::TopMenu); }

bool cMenus::ItemParentIndex(MenuIndex index) const
{
    const auto* i = find(std::move(index));
    return i && i->ParentID != 0 && IndexForID(i->ParentID) != 0;
}

QString cMenus::HelpText(int index) const
{
    return ItemHelpText(index);
}

void cMenus::setHelpText(int index, const QString& text)
{
    setItemHelpText(text, index);
}

bool cMenus::ItemChecked(MenuIndex index) const
{
    const auto* i = find(std::move(index));
    return i && i->action && i->action->isChecked();
}

void cMenus::setItemChecked(bool checked, MenuIndex index)
{
    auto* i = find(std::move(index));
    if (!i || !i->action)
        return;
    if (checked)
        i->action->setCheckable(true);
    i->action->setChecked(checked);
}

bool cMenus::ItemEnabled(MenuIndex index) const
{
    const auto* i = find(std::move(index));
    return i && i->action && i->action->isEnabled();
}

void cMenus::setItemEnabled(bool enabled, MenuIndex index)
{
    auto* i = find(std::move(index));
    if (i && i->action)
        i->action->setEnabled(enabled);
}

bool cMenus::ItemSeparator(MenuIndex index) const
{
    const auto* i = find(std::move(index));
    return i && i->action && i->action->isSeparator();
}

void cMenus::setItemSeparator(bool separator, MenuIndex index)
{
    auto* i = find(index);
    if (!i || !i->action)
        return;
    i->action->setSeparator(separator);
    i->Separator = separator;
    ReplaceItem(index);
}

// --- structure ------------------------------------------------------------------

void cMenus::ReplaceItem(MenuIndex index)
{
    if (const int i = IndexForKey(index))
        items_.remeasure(i);
}

void cMenus::reinsertAll()
{
    for (int i = 1; i <= ItemCount(); ++i)
        ReplaceItem(i);
}

int cMenus::AddItem(const NewItem& n)
{
    QWidget* target = root_;
    int parentID = 0;
    if (n.hasParent) {
        clsStoreMenu* parent = find(n.Parent);
        if (!parent || !parent->action)
            return 0;
        if (!parent->hSubMenu) {
            auto* sub = new QMenu(parent->hMenu);
            parent->action->setMenu(sub);
            parent->hSubMenu = sub;
            parent->HasSub = true;
            watchMenu(sub);
        }
        target = parent->hSubMenu;
        parentID = parent->ID;
    }
    if (!target)
        return 0;
    auto* a = new QAction(target);
    a->setSeparator(n.Caption.trimmed() == QLatin1String("-"));
    if (n.Checked) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    a->setEnabled(n.Enabled);
    QAction* before = nullptr;
    if (n.hasBefore) {
        const clsStoreMenu* b = find(n.Before);
        if (b && b->hMenu == target)
            before = b->action;
    }
    target->insertAction(before, a);

    clsStoreMenu r;
    r.ID = newID();
    r.ParentID = parentID;
    r.hMenu = target;
    r.Index = static_cast<int>(target->actions().indexOf(a));
    r.TopMenu = target == root_;
    r.Separator = a->isSeparator();
    r.Image = n.Image;
    r.HelpText = n.HelpText;
    r.OwnerDraw = n.OwnerDraw;
    r.OwnerDrawID = n.OwnerDrawID;
    r.OwnerDrawData = n.OwnerDrawData;
    r.Break = n.Break;
    r.Description = n.Description;
    r.Name = n.Key;
    r.Tag = n.Tag;
    r.CheckedStyle = n.CheckedStyle;
    r.AtRunTime = true;
    r.action = a;
    applyCaption(r, n.Caption);
    if (!n.KeyAccel.isEmpty())
        registerKeyAccel(r, n.KeyAccel);
    refreshText(r);
    connect(a, &QAction::triggered, this, [this, a] { emitClick(a); });
    items_.add(r);
    return r.ID;
}

void cMenus::RemoveItem(MenuIndex index)
{
    if (const auto* i = find(index))
        items_.remove(i->ID);
}

int cMenus::PopUpMenu(MenuIndex index, std::optional<QPoint> at)
{
    QMenu* menu = nullptr;
    std::unique_ptr<QMenu> whole;
    if (std::holds_alternative<std::monostate>(index.value)) {
        menu = qobject_cast<QMenu*>(root_.data());
        if (!menu && root_) {
            // The menu bar as one popup.
            whole = std::make_unique<QMenu>();
            whole->addActions(root_->actions());
            whole->setStyle(style_.get());
            menu = whole.get();
        }
    } else {
        const int i = IndexForKey(index);
        if (!i)
            return 0;
        menu = items_.at(i).hSubMenu;
    }
    if (!menu)
        return 0;
    // The chosen action reports itself through its triggered signal (Click).
    const QAction* chosen = menu->exec(at ? *at : QCursor::pos());
    const int i = indexOfAction(chosen);
    return i ? items_.at(i).ID : 0;
}

// --- keys -----------------------------------------------------------------------

bool cMenus::KeyAccelPressed(const std::string& keyName)
{
    if (!keyOwner_ || QApplication::activeWindow() != keyOwner_)
        return false;
    const int i = IndexForKeyAccel(qt(keyName));
    if (!i)
        return false;
    const clsStoreMenu& r = items_.at(i);
    if (!r.action || !r.action->isEnabled() || r.action->isSeparator())
        return false;
    emit Click(i);
    return true;
}

void cMenus::Before(bool& lHandled, long& lReturn, QObject* hWnd, int uMsg, QEvent* event)
{
    if (uMsg != QEvent::KeyPress)
        return;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const QString text = key->text();
    if (text.size() != 1 || !text[0].isPrint() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    // A character typed in an open menu runs the first item of that menu
    // whose accelerator character it is; any other character does nothing.
    lHandled = true;
    lReturn = 0;
    const QString c = text.toUpper();
    for (const clsStoreMenu& r : items_) {
        if (r.hMenu != hWnd || r.AccelChar != c || !r.action)
            continue;
        lReturn = r.Index | 0x20000;
        auto* menu = qobject_cast<QMenu*>(hWnd);
        if (menu && r.action->isEnabled()) {
            menu->setActiveAction(r.action);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(menu, &enter);
        }
        return;
    }
}

// --- shortcut file ----------------------------------------------------------------

bool cMenus::SaveShortcuts(const QString& FileName) const
{
    return files_.writeAtomically(local(FileName), ShortcutFile::serialize(items_.shortcutEntries()));
}

bool cMenus::LoadShortcuts(const QString& FileName)
{
    if (!files_.fileExists(local(FileName)))
        return false;
    const auto bytes = files_.read(local(FileName));
    const auto entries = bytes ? ShortcutFile::parse(*bytes) : std::nullopt;
    if (!entries)
        return false;
    for (const auto& e : *entries) {
        int index = 0;
        if (e.byName) {
            index = IndexForKey(qt(e.target));
        } else {
            const auto n = NumberText::strictNumber(e.target);
            const auto i = n ? NumberText::toInt32(*n) : std::nullopt;
            if (!i)
                break;  // an entry that cannot be applied ends the reading
            index = *i;
        }
        if (index != 0)
            setItemKeyAccel(qt(e.keyAccel), index);
    }
    return true;
}

// --- look ---------------------------------------------------------------------------

void cMenus::recomputeHeight()
{
    standardHeight_ = measure_->FontHeight() + (drawStyle_ == 1 ? 9 : 6);
}

void cMenus::setDrawStyle(int style)
{
    drawStyle_ = style;
    recomputeHeight();
    reinsertAll();
}

void cMenus::setFont(const std::optional<FontRecord>& font)
{
    font_ = font ? *font : cMemDC::SystemMenuFont();
    measure_->setFont(font_);
    recomputeHeight();
    reinsertAll();
}

std::int32_t cMenus::checkBoxTint() const
{
    const std::int32_t base = SystemColour::translate(BackColor);
    if (base == tintInput_)
        return tintResult_;
    const QColor hsl = qColour(base).toHsl();
    double lightness = hsl.lightnessF();
    lightness = lightness <= 0.99 ? std::min(1.0, lightness * 1.2) : lightness * 0.8;
    tintInput_ = base;
    tintResult_ = packedColour(QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb());
    return tintResult_;
}

QSize cMenus::measureItem(int index)
{
    if (index < 1 || index > ItemCount())
        return {};
    const clsStoreMenu& r = items_.at(index);
    if (r.OwnerDraw || ItemOwnerDrawAll) {
        bool cancel = false;
        int width = 0;
        int height = standardHeight_;
        emit MeasureItem(&cancel, index, &width, &height);
        if (cancel)
            return {width, height};
    }
    return MenuItemPainter::measure(*this, r);
}

void cMenus::drawItem(int index, QPainter* target, const QRect& rect, int state)
{
    if (index < 1 || index > ItemCount())
        return;
    const clsStoreMenu& r = items_.at(index);
    if (r.OwnerDraw || ItemOwnerDrawAll) {
        bool cancel = false;
        emit DrawItem(&cancel, index, target, state & selectedState, rect.left(), rect.top(), rect.right() + 1,
                      rect.bottom() + 1);
        if (cancel)
            return;
    }
    MenuItemPainter::draw(*this, r, target, rect, state);
}
