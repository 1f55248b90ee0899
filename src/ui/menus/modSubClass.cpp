#include "ui/menus/modSubClass.h"

#include "ui/menus/IMenuKeys.h"
#include "logic/menus/KeyName.h"
#include "ui/keyboard/KeyTranslation.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <algorithm>

modSubClass::~modSubClass()
{
    if (hooked_)
        QCoreApplication::instance()->removeEventFilter(this);
}

void modSubClass::RegisterMenus(IMenuKeys* menus)
{
    if (!hooked_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        hooked_ = true;
    }
    if (std::find(registry_.begin(), registry_.end(), menus) == registry_.end())
        registry_.push_back(menus);
}

void modSubClass::UnregisterMenus(IMenuKeys* menus)
{
    const auto it = std::find(registry_.begin(), registry_.end(), menus);
    if (it != registry_.end())
        registry_.erase(it);
    if (registry_.empty() && hooked_) {
        QCoreApplication::instance()->removeEventFilter(this);
        hooked_ = false;
    }
}

std::string modSubClass::keyNameOf(const QKeyEvent& event)
{
    const auto m = event.modifiers();
    return KeyName(virtualKeyCode(event), m.testFlag(Qt::AltModifier), m.testFlag(Qt::ControlModifier),
                   m.testFlag(Qt::ShiftModifier));
}

bool modSubClass::offer(const std::string& name)
{
    if (name.empty())
        return false;
    // Copied: an engine may unregister while it handles the key.
    const std::vector<IMenuKeys*> engines = registry_;
    for (IMenuKeys* engine : engines) {
        try {
            if (engine->KeyAccelPressed(name) && engine->ConsumeKeys())
                return true;
        } catch (...) {
            // A failing engine must not take the keyboard down with it.
        }
    }
    return false;
}

bool modSubClass::Seen::sameAs(const QKeyEvent& e, bool samePointer) const
{
    return valid && (!samePointer || event == &e) && timestamp == e.timestamp() && key == e.key() &&
           modifiers == static_cast<int>(e.modifiers());
}

bool modSubClass::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const auto remember = [&](bool consumed) {
        return Seen{event, key.timestamp(), key.key(), static_cast<int>(key.modifiers()), consumed, true};
    };
    if (type == QEvent::ShortcutOverride) {
        // Shortcuts are checked before the press is delivered: answer here,
        // so that a consumed key does not also trigger a shortcut.
        if (!lastOverride_.sameAs(key, true))
            lastOverride_ = remember(offer(keyNameOf(key)));
        if (lastOverride_.consumed)
            event->accept();
        return lastOverride_.consumed;
    }
    if (!lastPress_.sameAs(key, true)) {
        const bool checked = lastOverride_.sameAs(key, false);
        lastPress_ = remember(checked ? lastOverride_.consumed : offer(keyNameOf(key)));
        lastOverride_.valid = false;
    }
    return lastPress_.consumed;
}
