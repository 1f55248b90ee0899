#pragma once

class QEvent;
class QObject;

// What the owner of a cSuperClass is told about the events of the object it
// watches. lReturn is the handling's result (1 handled, 0 not); an event
// whose result ends 0 travels on as not accepted.
class ISuperClass {
public:
    virtual ~ISuperClass() = default;

    // After the object handled the event itself; may change the result.
    virtual void After(long& lReturn, QObject* hWnd, int uMsg, QEvent* event)
    {
        (void)lReturn, (void)hWnd, (void)uMsg, (void)event;
    }

    // Before the object sees the event; setting lHandled keeps it from the
    // object and makes lReturn the result.
    virtual void Before(bool& lHandled, long& lReturn, QObject* hWnd, int uMsg, QEvent* event)
    {
        (void)lHandled, (void)lReturn, (void)hWnd, (void)uMsg, (void)event;
    }
};
