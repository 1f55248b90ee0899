#include "ui/menus/MenuStyle.h"

#include "ui/window/SystemColour.h"
#include "ui/menus/cMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {
// The text a menu shows for an action, shortcut after a tab, as QMenu builds it.
QString shownText(const QAction* a)
{
    QString text = a->text();
    if (!text.contains(QLatin1Char('\t')) && !a->shortcut().isEmpty())
        text += QLatin1Char('\t') + a->shortcut().toString(QKeySequence::NativeText);
    return text;
}

// What QMenu adds to its widest item for the shortcut column; the engine's
// widths already hold the shortcut, so it is taken off again.
int shortcutColumn(const QMenu* menu)
{
    const QFontMetrics fm(menu->font());
    int widest = 0;
    for (const QAction* a : menu->actions()) {
        const QString text = shownText(a);
        const auto tab = text.indexOf(QLatin1Char('\t'));
        if (tab >= 0 && !a->isSeparator())
            widest = std::max(widest, fm.horizontalAdvance(text.mid(tab + 1)));
    }
    return widest;
}
}  // namespace

MenuStyle::MenuStyle(cMenus& engine) : engine_(engine) {}

QAction* MenuStyle::actionFor(const QStyleOption* option, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item || !widget)
        return nullptr;
    // Painting knows the item's place; measuring only its text.
    if (!item->rect.isEmpty() && item->rect != widget->rect()) {
        if (const auto* menu = qobject_cast<const QMenu*>(widget))
            return menu->actionAt(item->rect.center());
        if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
            return bar->actionAt(item->rect.center());
    }
    for (QAction* a : widget->actions())
        if (!a->isSeparator() && shownText(a) == item->text)
            return a;
    return nullptr;
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const
{
    if (type != CT_MenuItem && type != CT_MenuBarItem)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    int index = 0;
    if (item && item->menuItemType == QStyleOptionMenuItem::Separator) {
        for (const QAction* a : widget ? widget->actions() : QList<QAction*>())
            if (a->isSeparator() && (index = engine_.indexOfAction(a)))
                break;
    } else {
        index = engine_.indexOfAction(actionFor(option, widget));
    }
    if (!index)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    QSize s = engine_.measureItem(index);
    if (const auto* menu = qobject_cast<const QMenu*>(widget))
        s.setWidth(s.width() - shortcutColumn(menu));
    // A menu leaves out items of no width; separators still need their row.
    return {std::max(1, s.width()), std::max(1, s.height())};
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    if (element == CE_MenuBarEmptyArea) {
        painter->fillRect(option->rect, SystemColour::ofIndex(15));
        return;
    }
    if (element != CE_MenuItem && element != CE_MenuBarItem) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const int index = engine_.indexOfAction(actionFor(option, widget));
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!index || !item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    int state = 0;
    const bool selected = option->state & State_Selected;
    if (element == CE_MenuBarItem) {
        // An open menu shows its bar item pressed; the mouse over it, hot.
        if (selected && (option->state & State_Sunken))
            state |= cMenus::selectedState;
        else if (selected)
            state |= cMenus::hotState;
    } else if (selected) {
        state |= cMenus::selectedState;
    }
    if (!(option->state & State_Enabled))
        state |= cMenus::grayedState;
    if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked)
        state |= cMenus::checkedState;
    engine_.drawItem(index, painter, option->rect, state);
}

int MenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuBarItemSpacing:
    case PM_MenuBarHMargin:
    case PM_MenuBarVMargin:
    case PM_MenuBarPanelWidth:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
