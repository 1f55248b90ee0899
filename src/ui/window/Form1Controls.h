#pragma once

#include "logic/keyboard/KeyMap.h"

#include <array>

class PianoKey;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QString;
class QWidget;

// The controls of the main window at their design places and looks.
struct Form1Controls {
    explicit Form1Controls(QMainWindow* window);

    QWidget* client;  // the client area, 784 x 188 pixels
    QFrame* Shape1;
    std::array<PianoKey*, KeyMap::keyCount> key{};
    QScrollBar* HScrollPatch;
    QLabel* instru;
    QScrollBar* tdelay;
    QFrame* Frame1;
    QLabel* lblTitle;
    QLabel* Label4;
    QLabel* Label1;
    QLineEdit* txtSend;
    QPlainTextEdit* txtRx;
    QPushButton* Command1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    // What the MIDI ports named in the settings are doing; hidden while all is well.
    QLabel* midiNotice;
    QLabel* deviceFault;  // shown while no sound device works
    // Puts the text into deviceFault, in a font small enough for all of it to show.
    void setDeviceFault(const QString& text) const;
    // Made by makeInstrumentLists, when the lists are first filled.
    std::array<QPlainTextEdit*, 6> loadnam{};

    void makeInstrumentLists();

    QMenu* mnufile;
    QAction* mnuFileSav;
    QAction* mnufileload;
    QAction* mnufileConnect;
    QAction* mnuserv;
    QAction* mnufileclear;
    QAction* mnuUndoClear;  // brings back the recording the last Clear removed
    QAction* midiconv;
    QAction* mnuSaveTake;
    QAction* mnuFileexit;
    QMenu* mnuextr;
    QAction* mnuRecord;
    QAction* mnuReplaymid;
    QAction* mnuReplayTake;
    QAction* mnuSet;
    QAction* mnuinstrx;
    QAction* mnucolr;
    QMenu* mnuhlp;
    QAction* mnurdme;
    QAction* mnuAbout;
};
