#pragma once

#include <QObject>

#include <vector>

class IMenuKeys;
class QKeyEvent;

// The live menu engines and the one keyboard hook they share: while at
// least one engine is registered, every key press of the application is
// named ("Ctrl+S") and offered to the engines in the order they registered,
// before any widget or shortcut sees it. Releases are never offered.
class modSubClass : public QObject {
    Q_OBJECT
public:
    modSubClass() = default;
    ~modSubClass() override;

    void RegisterMenus(IMenuKeys* menus);
    void UnregisterMenus(IMenuKeys* menus);

    bool hookInstalled() const { return hooked_; }
    const std::vector<IMenuKeys*>& registry() const { return registry_; }

    // The name of a key event with its modifiers, empty for unnamed keys.
    static std::string keyNameOf(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool offer(const std::string& name);

    std::vector<IMenuKeys*> registry_;
    bool hooked_ = false;
    // The last shortcut check and the last press answered: a key event
    // travels up through parents and arrives here once per stop, and a press
    // follows its own shortcut check; each is offered to the engines once.
    struct Seen {
        const QEvent* event = nullptr;
        quint64 timestamp = 0;
        int key = 0;
        int modifiers = 0;
        bool consumed = false;
        bool valid = false;
        bool sameAs(const QKeyEvent& e, bool samePointer) const;
    };
    Seen lastOverride_;
    Seen lastPress_;
};
