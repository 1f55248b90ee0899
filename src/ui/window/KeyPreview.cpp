#include "ui/window/KeyPreview.h"

#include "logic/keyboard/NoteInput.h"
#include "ui/keyboard/KeyTranslation.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace {
// Which key a stroke is: the physical key when the event carries it, else
// the Qt key (events made by tests), kept apart from scan codes.
std::uint32_t strokeKey(const QKeyEvent& event)
{
    return event.nativeScanCode() ? event.nativeScanCode() : 0x80000000u | static_cast<std::uint32_t>(event.key());
}
}  // namespace

KeyPreview::KeyPreview(QWidget& window, QLineEdit& chatLine, NoteInput& input)
    : window_(window), chatLine_(chatLine), input_(input),
      repeats_([this](int code) { input_.keyDown(code); }, [this](int code) { input_.keyUp(code); })
{
    // A release held back to see whether it is half of an auto-repeat is
    // delivered when no press of its key follows within a few milliseconds:
    // the press of a repeat comes at once, but may not have been read yet.
    flush_.setSingleShot(true);
    flush_.setInterval(10);
    QObject::connect(&flush_, &QTimer::timeout, [this] { repeats_.flush(); });
}

bool KeyPreview::preview(QWidget* receiver, QKeyEvent* event)
{
    // A key event goes first to the focus widget and then, if ignored, up to
    // its parents: handle it once, at its first receiver.
    QWidget* first = window_.focusWidget() ? window_.focusWidget() : &window_;
    if (redelivering_ || receiver->window() != &window_ || receiver != first)
        return false;
    const KeyRepeatFilter::Stroke stroke{strokeKey(*event), event->timestamp(), event->isAutoRepeat(),
                                         virtualKeyCode(*event)};
    if (repeats_.muted(stroke, event->type() == QEvent::KeyRelease))
        return true;  // held when the chat line took the keyboard: types nothing
    if (event->type() == QEvent::KeyRelease) {
        repeats_.release(stroke);
    } else {
        handling_ = stroke.key;
        repeats_.press(stroke);
        handling_ = 0;
    }
    if (repeats_.hasPending())
        flush_.start();
    if (event->type() == QEvent::KeyRelease)
        return false;
    if (window_.focusWidget() == &chatLine_ && first != &chatLine_) {
        // The chat line took the focus: the key types into it.
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                       static_cast<quint16>(event->count()));
        redelivering_ = true;
        QCoreApplication::sendEvent(&chatLine_, &copy);
        redelivering_ = false;
        return true;
    }
    return false;
}

void KeyPreview::releaseHeld()
{
    repeats_.forgetHeld();
    input_.releaseAll();
}

void KeyPreview::chatTookFocus()
{
    repeats_.muteHeld(handling_);
    releaseHeld();
}

void KeyPreview::keyboardLeft()
{
    repeats_.unmuteAll();
}
