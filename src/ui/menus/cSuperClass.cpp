#include "ui/menus/cSuperClass.h"

#include "ui/menus/ISuperClass.h"

#include <QEvent>

cSuperClass::cSuperClass(QObject* parent) : QObject(parent) {}

cSuperClass::~cSuperClass()
{
    UnSubclass();
}

bool cSuperClass::AddMsg(int MsgNum, bool Before)
{
    if (filter_.size() >= static_cast<std::size_t>(maxMessages)) {
        overflow_ = true;
        return false;
    }
    filter_.push_back({MsgNum, Before});
    return true;
}

bool cSuperClass::SubClass(QObject* hWndSub, ISuperClass* Owner, bool AllMsgs)
{
    if (overflow_ || !hWndSub || subclassed_)
        return false;
    allMessages_ = AllMsgs;
    window_ = hWndSub;
    owner_ = Owner;
    hWndSub->installEventFilter(this);
    subclassed_ = true;
    return true;
}

void cSuperClass::UnSubclass()
{
    if (!subclassed_)
        return;
    if (window_)
        window_->removeEventFilter(this);
    // A new SubClass starts from an empty filter.
    filter_.clear();
    overflow_ = false;
    owner_ = nullptr;
    window_ = nullptr;
    subclassed_ = false;
}

bool cSuperClass::runAfter(QObject* watched, QEvent* event)
{
    // The object's own handling first, then the owner sees its result.
    inOwnHandling_ = true;
    long result = watched->event(event) ? 1 : 0;
    inOwnHandling_ = false;
    if (owner_)
        owner_->After(result, watched, static_cast<int>(event->type()), event);
    event->setAccepted(result != 0);
    return true;
}

bool cSuperClass::eventFilter(QObject* watched, QEvent* event)
{
    if (!subclassed_ || watched != window_ || inOwnHandling_ || !owner_)
        return QObject::eventFilter(watched, event);
    const int message = static_cast<int>(event->type());
    if (allMessages_)
        return runAfter(watched, event);
    for (const Entry& e : filter_) {
        if (e.message != message)
            continue;
        if (!e.before)
            return runAfter(watched, event);
        bool handled = false;
        long result = 0;
        owner_->Before(handled, result, watched, message, event);
        if (!handled)
            return false;
        event->setAccepted(result != 0);
        return true;
    }
    return false;
}
