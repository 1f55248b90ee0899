#include "ui/keyboard/KeyTranslation.h"

#include "logic/keyboard/ScanCodes.h"
#include "logic/keyboard/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {
bool platformDeliversXKeycodes()
{
    static const bool yes = QGuiApplication::platformName() == QLatin1String("xcb") ||
                            QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return yes;
}
}  // namespace

int virtualKeyFromQtKey(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return Vk::F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return Vk::Back;
    case Qt::Key_Tab: case Qt::Key_Backtab: return Vk::Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return Vk::Return;
    case Qt::Key_Shift: return Vk::Shift;
    case Qt::Key_Control: return Vk::Control;
    case Qt::Key_Alt: case Qt::Key_AltGr: return Vk::Menu;
    case Qt::Key_Pause: return Vk::Pause;
    case Qt::Key_CapsLock: return Vk::Capital;
    case Qt::Key_Escape: return Vk::Escape;
    case Qt::Key_Space: return Vk::Space;
    case Qt::Key_PageUp: return Vk::Prior;
    case Qt::Key_PageDown: return Vk::Next;
    case Qt::Key_End: return Vk::End;
    case Qt::Key_Home: return Vk::Home;
    case Qt::Key_Left: return Vk::Left;
    case Qt::Key_Up: return Vk::Up;
    case Qt::Key_Right: return Vk::Right;
    case Qt::Key_Down: return Vk::Down;
    case Qt::Key_Print: return Vk::Snapshot;
    case Qt::Key_Insert: return Vk::Insert;
    case Qt::Key_Delete: return Vk::Delete;
    case Qt::Key_Meta: case Qt::Key_Super_L: return Vk::LWin;
    case Qt::Key_Super_R: return Vk::RWin;
    case Qt::Key_Menu: return Vk::Apps;
    case Qt::Key_NumLock: return Vk::NumLock;
    case Qt::Key_ScrollLock: return Vk::Scroll;
    case Qt::Key_VolumeMute: return Vk::VolumeMute;
    case Qt::Key_VolumeDown: return Vk::VolumeDown;
    case Qt::Key_VolumeUp: return Vk::VolumeUp;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return Vk::Semicolon;
    case Qt::Key_Equal: case Qt::Key_Plus: return Vk::Plus;
    case Qt::Key_Comma: case Qt::Key_Less: return Vk::Comma;
    case Qt::Key_Minus: case Qt::Key_Underscore: return Vk::Minus;
    case Qt::Key_Period: case Qt::Key_Greater: return Vk::Period;
    case Qt::Key_Slash: case Qt::Key_Question: return Vk::Slash;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return Vk::Grave;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return Vk::LeftBracket;
    case Qt::Key_Backslash: case Qt::Key_Bar: return Vk::Backslash;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return Vk::RightBracket;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return Vk::Quote;
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return -1;
    }
}

int virtualKeyCode(const QKeyEvent& event)
{
    if (event.nativeScanCode() != 0 && platformDeliversXKeycodes()) {
        const int code = virtualKeyFromX11Keycode(static_cast<int>(event.nativeScanCode()));
        if (code >= 0)
            return code;
    }
    return virtualKeyFromQtKey(event.key());
}
