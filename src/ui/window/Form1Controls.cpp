#include "ui/window/Form1Controls.h"

#include "ui/window/DesignLayout.h"
#include "ui/window/QtColour.h"
#include "logic/keyboard/KeyboardLayout.h"
#include "ui/keyboard/PianoKey.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

using namespace DesignLayout;

constexpr int clientWidth = 11760;
constexpr int clientHeight = 2820;

QAction* item(QMenu* menu, const char* name, const char* caption, QKeySequence shortcut = {}, bool enabled = true)
{
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    a->setEnabled(enabled);
    return a;
}

}  // namespace

Form1Controls::Form1Controls(QMainWindow* window)
{
    window->setFont(designFont("Trebuchet MS", 8.25));

    client = new QWidget(window);
    client->setObjectName(QStringLiteral("Form1"));
    setClientSize(client, clientWidth, clientHeight);
    setBackground(client, rgb(255, 249, 252));
    client->setMouseTracking(true);
    window->setCentralWidget(client);

    // Created bottom first: the band, the white keys, then the black keys above them.
    Shape1 = new QFrame(client);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    place(Shape1, -240, -240, 12120, 1815);
    setBackground(Shape1, rgb(253, 219, 238));
    // A drawn shape, not a control: the mouse passes through to the window.
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);

    const QFont keyFont = designFont("MS Sans Serif", 8.25);
    for (bool white : {true, false}) {
        for (int i = 0; i < KeyMap::keyCount; ++i) {
            if (KeyboardLayout::isWhite(i) != white)
                continue;
            auto* k = new PianoKey(i, client);
            k->setObjectName(QStringLiteral("key(%1)").arg(i));
            const auto r = KeyboardLayout::keyRect(i);
            place(k, r.left, r.top, r.width, r.height);
            k->setFont(keyFont);
            k->setText(QString::fromStdString(KeyboardLayout::caption(i)));
            k->setToolTip(QString::fromStdString(KeyboardLayout::tooltip(i)));
            k->setBackground(qColour(KeyboardLayout::designBackground(i)));
            k->setTextColour(qColour(KeyboardLayout::designText(i)));
            key[static_cast<std::size_t>(i)] = k;
        }
    }

    HScrollPatch = new QScrollBar(Qt::Horizontal, client);
    HScrollPatch->setObjectName(QStringLiteral("HScrollPatch"));
    HScrollPatch->setRange(0, 127);
    // It takes the focus like any control (and shows it by highlighting the
    // instrument); a drag changes the patch once, where the thumb is let go.
    HScrollPatch->setFocusPolicy(Qt::StrongFocus);
    HScrollPatch->setTracking(false);
    place(HScrollPatch, 0, 2415, 11800, 165);

    const QFont arial = designFont("Arial", 8.25);
    instru = label(client, "instru", "", 9360, 1800, 2175, 255, arial);

    tdelay = new QScrollBar(Qt::Vertical, client);
    tdelay->setObjectName(QStringLiteral("tdelay"));
    tdelay->setRange(0, 0);
    place(tdelay, 11640, 1560, 135, 855);

    Frame1 = new QFrame(client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, 0, 1680, 1695, 735);
    setBackground(Frame1, rgb(255, 249, 252));
    const QFont comic = designFont("Comic Sans MS", 11.25, true);
    lblTitle = label(Frame1, "lblTitle", "Velorin", 120, 360, 1365, 360, comic);
    setTextColour(lblTitle, rgb(128, 0, 128));
    lblTitle->setToolTip(QStringLiteral("Delete music data"));
    Label4 = label(Frame1, "Label4", "Click", 120, 120, 615, 375, comic);
    setTextColour(Label4, rgb(255, 0, 0));
    Label4->setToolTip(QStringLiteral("Click here to replay music"));

    Label1 = label(client, "Label1", "Send:", 2160, 2040, 615, 255, arial);

    txtRx = new QPlainTextEdit(client);
    txtRx->setObjectName(QStringLiteral("txtRx"));
    place(txtRx, 2160, 1560, 7215, 495);
    txtRx->setFont(arial);
    txtRx->setReadOnly(true);
    setTextColour(txtRx, rgb(128, 128, 128));

    txtSend = new QLineEdit(client);
    txtSend->setObjectName(QStringLiteral("txtSend"));
    place(txtSend, 2880, 2040, 6255, 345);
    txtSend->setFont(arial);
    setTextColour(txtSend, rgb(64, 0, 0));
    // The chat controls appear once shared play is used.
    txtSend->setEnabled(false);
    txtSend->hide();
    txtRx->hide();
    Label1->hide();

    Command1 = new QPushButton(QStringLiteral("Command1"), client);
    Command1->setObjectName(QStringLiteral("Command1"));
    place(Command1, 0, 2830, 135, 240);

    Label2 = label(client, "Label2", "Made by Darvel.", 10080, 2040, 1455, 255, designFont("Trebuchet MS", 9, true));
    setTextColour(Label2, rgb(64, 0, 64));
    Label2->setMouseTracking(true);

    // Says in the window, where the chat lines would be, that nothing sounds
    // and what to try: from under the band to the instrument bar, stopping
    // short of the instrument's name.
    deviceFault = label(client, "deviceFault", "", 2160, 1575, 7080, 825, arial);
    deviceFault->setWordWrap(true);
    deviceFault->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(deviceFault, rgb(192, 0, 0));
    deviceFault->hide();

    Label3 = label(client, "Label3", "Velorin    ", 0, 2588, 11775, 420, arial);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignTop);

    Label5 = label(client, "Label5", "", 0, 2588, 1335, 255, window->font());

    // In the foot line, between the clock and the name.
    midiNotice = label(client, "midiNotice", "", 1440, 2588, 8400, 255, arial);
    setTextColour(midiNotice, rgb(128, 0, 0));
    midiNotice->hide();


    // The instrument lists (loadnam) come with the window's first activation:
    // they lie out of view, and each text box costs the start its font.
    QMenuBar* bar = window->menuBar();
    mnufile = bar->addMenu(QStringLiteral("&File"));
    mnufile->setObjectName(QStringLiteral("mnufile"));
    mnuFileSav = item(mnufile, "mnuFileSav", "&Save", Qt::Key_F1);
    mnufileload = item(mnufile, "mnufileload", "&Load", Qt::Key_F2);
    // Enabled from the start: nothing else would ever enable them.
    mnufileConnect = item(mnufile, "mnufileConnect", "&Connect", Qt::Key_F3);
    mnuserv = item(mnufile, "mnuserv", "&Start server", Qt::Key_F4);
    mnufileclear = item(mnufile, "mnufileclear", "Clear playlist", Qt::Key_F5);
    mnuUndoClear = item(mnufile, "mnuUndoClear", "&Undo Clear", {}, false);
    midiconv = item(mnufile, "midiconv", "&Create MIDI", Qt::Key_F6, false);
    mnuSaveTake = item(mnufile, "mnuSaveTake", "Save &Take as MIDI...");
    mnuFileexit = item(mnufile, "mnuFileexit", "&Exit", Qt::Key_F7);

    mnuextr = bar->addMenu(QStringLiteral("&Extra"));
    mnuextr->setObjectName(QStringLiteral("mnuextr"));
    mnuRecord = item(mnuextr, "mnuRecord", "&Record", Qt::Key_F8);
    mnuRecord->setCheckable(true);
    mnuReplaymid = item(mnuextr, "mnuReplaymid", "&Replay", Qt::Key_F12);
    // The take as it was played, chords and all; checked while it plays.
    mnuReplayTake = item(mnuextr, "mnuReplayTake", "Replay &Take", Qt::Key_F11);
    mnuReplayTake->setCheckable(true);
    mnuSet = item(mnuextr, "mnuSet", "Settings");
    mnuinstrx = item(mnuextr, "mnuinstrx", "Instrument", Qt::Key_F9);
    mnucolr = item(mnuextr, "mnucolr", "Color");

    mnuhlp = bar->addMenu(QStringLiteral("&Help"));
    mnuhlp->setObjectName(QStringLiteral("mnuhlp"));
    mnurdme = item(mnuhlp, "mnurdme", "&Guide");
    mnuAbout = item(mnuhlp, "mnuAbout", "&About");
}

void Form1Controls::setDeviceFault(const QString& text) const
{
    fitWrappedText(deviceFault, text, designFont("Arial", 8.25), 6.75);
}

void Form1Controls::makeInstrumentLists()
{
    if (loadnam[0])
        return;
    const int lefts[6] = {3, 2040, 3840, 6120, 7920, 9840};
    for (int k = 0; k < 6; ++k) {
        auto* box = new QPlainTextEdit(client);
        box->setObjectName(QStringLiteral("loadnam(%1)").arg(k));
        place(box, lefts[k], 3120, k == 1 ? 2175 : 1935, 5055);
        setTextColour(box, rgb(64, 64, 0));
        box->show();
        loadnam[static_cast<std::size_t>(k)] = box;
    }
}
