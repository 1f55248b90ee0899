#pragma once

#include "logic/keyboard/KeyRepeatFilter.h"

#include <QTimer>

#include <cstdint>

class NoteInput;
class QKeyEvent;
class QLineEdit;
class QWidget;

// The window's key preview: every key event of the window and its children,
// seen once at its first receiver, as one press and one release per stroke
// of a key (KeyRepeatFilter) handed to the note rules; and the keys held when
// the keyboard goes elsewhere, released through their own key-up path.
class KeyPreview {
public:
    KeyPreview(QWidget& window, QLineEdit& chatLine, NoteInput& input);

    // True when the event was taken here and goes no further.
    bool preview(QWidget* receiver, QKeyEvent* event);

    KeyRepeatFilter& repeats() { return repeats_; }

    // Keys held while a menu, a dialog, another window or the chat line takes
    // the keyboard never see their key-up: they are released now.
    void releaseHeld();
    // The chat line took the focus: held keys are released, and their
    // auto-repeat types nothing into it; the key that moved the focus there by
    // typing is the one exception.
    void chatTookFocus();
    // The keyboard left the window: releases may be missed, so nothing stays muted.
    void keyboardLeft();

private:
    QWidget& window_;
    QLineEdit& chatLine_;
    NoteInput& input_;
    KeyRepeatFilter repeats_;
    QTimer flush_;
    bool redelivering_ = false;
    // The key whose press is being handled, while it is.
    std::uint32_t handling_ = 0;
};
