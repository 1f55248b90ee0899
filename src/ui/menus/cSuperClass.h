#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class ISuperClass;

// Routes chosen events of one object to an owner, before or after the
// object's own handling. Either every event goes to the owner's After, or
// the events listed with AddMsg go to Before or After, the first entry for
// an event type deciding; other events pass untouched.
class cSuperClass : public QObject {
    Q_OBJECT
public:
    static constexpr int maxMessages = 34;

    explicit cSuperClass(QObject* parent = nullptr);
    ~cSuperClass() override;

    // Adds an event type to the filter; false (and SubClass will refuse)
    // once more than maxMessages were added.
    bool AddMsg(int MsgNum, bool Before);
    // Starts watching hWndSub for Owner (held without ownership). False when
    // the filter overflowed or there is nothing to watch.
    bool SubClass(QObject* hWndSub, ISuperClass* Owner, bool AllMsgs);
    void UnSubclass();

    bool isSubclassed() const { return subclassed_; }
    QObject* hWndSub() const { return window_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        int message;
        bool before;
    };
    bool runAfter(QObject* watched, QEvent* event);

    std::vector<Entry> filter_;
    bool overflow_ = false;
    bool allMessages_ = false;
    bool subclassed_ = false;
    QPointer<QObject> window_;
    ISuperClass* owner_ = nullptr;
    bool inOwnHandling_ = false;
};
