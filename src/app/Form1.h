#pragma once

#include "app/AppPaths.h"
#include "app/Form1Controls.h"
#include "midi/MidiSender.h"

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <string>

class Files;
class MidiOut;
class SettingsStore;

// What the main window works with, passed in by main (or by a test).
struct Form1Services {
    MidiOut& midi;
    SettingsStore& settings;
    Files& files;
    AppPaths paths;
};

// The main window: the on-screen keyboard, the instrument selector and the
// state that playing, recording and shared play share.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence; runs before the window is first shown.
    void startUp();

    // Sound or release on-screen key i (-1: no key).
    void NoteOn(int i);
    void NoteOff(int i);
    // Names the current patch in instru and sends its program change.
    void ReadPatch();
    bool OpenMidiDevice(std::int16_t n);

    // Set by the settings dialog as well as at start-up.
    std::int16_t baseNote = 59;
    std::string times;
    std::int16_t tempo = 0;

    const Form1Controls& controls() const { return ui_; }
    MidiSender& midi() { return midi_; }
    QTimer& Timer3() { return timer3_; }
    int patch() const;

    // True while connected to a play server.
    bool isConnected() const { return false; }

signals:
    // The unload sequence has run; the program ends.
    void unloaded();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void restoreLastPatch();
    void applyKeyboardSettings();
    void fillInstrumentLists();
    void patchChanged();
    void highlightInstrument();
    void updateClock();
    void unload();
    std::optional<std::string> instrumentNamesText() const;

    Form1Services services_;
    Form1Controls ui_;
    MidiSender midi_;
    QTimer timer1_;
    QTimer timer3_;
    QTimer timer4_;
    QTimer timer5_;
    QTimer timeX_;
    QTimer time2X_;
    bool unloaded_ = false;
};
