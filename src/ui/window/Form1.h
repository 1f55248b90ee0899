#pragma once

#include "logic/base/AppPaths.h"
#include "ui/window/Form1Controls.h"
#include "ui/window/Dialogs.h"
#include "ui/window/KeyPreview.h"
#include "ui/window/SoundStatus.h"
#include "ui/window/WindowCaption.h"
#include "logic/midi/MidiSender.h"
#include "ui/menus/ImageList.h"
#include "ui/menus/modSubClass.h"
#include "logic/keyboard/NoteInput.h"
#include "logic/keyboard/PianoModel.h"
#include "ui/keyboard/PianoView.h"
#include "logic/recording/Player.h"
#include "logic/take/TakeTee.h"
#include "ui/recording/UntakenPlayerHost.h"

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Files;
class Form2;
class Form3;
class frmcolor;
class Clock;
class cMenus;
class MidiIn;
class MidiOut;
class Form1MidiInput;
class NetworkPlay;
class PlaySocket;
class RecorderControls;
class SequenceFiles;
class TakeControls;
class SettingsStore;
class SkinColours;
class ShellCommands;
class frmAbout;

// What the main window works with, passed in by main (or by a test).
struct Form1Services {
    MidiOut& midi;
    SettingsStore& settings;
    Files& files;
    Clock& clock;
    PlaySocket& socket;
    AppPaths paths;
};

// The main window: the on-screen keyboard, the instrument selector and the
// state that playing, recording and shared play share.
class Form1 : public QMainWindow, private NoteInputHost, private PlayerHost {
    Q_OBJECT
public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence; runs before the window is first shown. The
    // arguments are those of the command line, without the program's name.
    void startUp(const std::vector<std::string>& arguments = {});
    // Registers the ".mus" file type with the desktop, once. The window does
    // it by itself when it is first on the screen.
    void registerWithDesktop();
    // What waits for the window to be on the screen: the desktop's records,
    // then what the start-up's file had to tell, in a message over the window.
    void firstOnScreen();
    // A later start of the program asked for the window, with a file to open
    // or none (empty).
    void openFromOutside(const std::string& file);

    // Sound or release on-screen key i (-1: no key), as replay does.
    void NoteOn(int i) override;
    void NoteOff(int i) override;
    // What is held on the piano, by whom, and what sounds.
    PianoModel& piano() { return piano_; }
    const PianoModel& piano() const { return piano_; }
    // Names the current patch in instru and sends its program change.
    void ReadPatch();
    bool OpenMidiDevice(std::int16_t n);

    // Set by the settings dialog as well as at start-up.
    std::int16_t baseNote = 59;
    std::string times;
    std::int16_t tempo = 0;

    const Form1Controls& controls() const { return ui_; }
    MidiSender& midi() { return midi_; }
    RecorderControls& recorder() { return *recorder_; }
    SequenceFiles& sequences() { return *sequences_; }
    TakeControls& take() { return *take_; }
    NetworkPlay& network() { return *network_; }
    // The owner-drawn menus, once start-up has set them up.
    cMenus* menus() const { return menus_.get(); }
    const ImageList& imlToolbar() const { return imlToolbar_; }
    QTimer& Timer3() { return timer3_; }
    NoteInput& input() { return input_; }
    // One press and one release per stroke of a computer key; main turns
    // pairing on where the window system cannot mark auto-repeat itself.
    KeyRepeatFilter& repeats() { return keys_.repeats(); }
    // The one writer of the caption.
    WindowCaption& caption() { return caption_; }
    int patch() const override;

    // True while connected to a play server.
    bool isConnected() const override;

    // The settings and instrument dialogs, made on first use.
    Form2& showSettings();
    Form3& showInstrument();
    Form2* settingsDialog() const;
    Form3* instrumentDialog() const;
    // The colour picker, made on first use, modeless.
    frmcolor& showColourPicker();
    frmcolor* colourPicker() const;
    SkinColours& skin() { return *skin_; }
    // The About box, made on first use and brought forward after that.
    frmAbout& showAbout();
    frmAbout* aboutDialog() const;
    ShellCommands& shell() { return *shell_; }

    // Plays the window from a MIDI input as well; the input must outlive the
    // window and call its handler on the window's thread.
    void connectMidiInput(MidiIn& input);
    // True while key i is held down on the MIDI keyboard: its note-off has
    // not come yet, whatever the window's keyboard focus did meanwhile.
    bool isHeldByMidi(int i) const;
    // Tells the user, at the foot of the window, what a MIDI port named in
    // the settings is doing; an output that fails also gives the caption
    // "Velorin - Device not ready" until it is back.
    void showMidiPortNotice(const PortNotice& notice);

signals:
    // The unload sequence has run; the program ends.
    void unloaded();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What the key and mouse handling asks of the window.
    std::int16_t readBaseNote() const override { return baseNote; }
    void writeBaseNote(std::int16_t note) override { baseNote = note; }
    void setCaption(const std::string& caption) override;
    std::string timesText() const override { return times; }
    int noteVelocity() const override { return midi_.noteVelocity; }
    std::int16_t tempoValue() const override { return tempo; }
    void setPatch(int patch) override;
    bool chatInputActive() const override;
    void focusChatInput() override;
    void sendKeyIndex(int index) override;
    bool isRecording() const override;
    void pressHook(int index) override;
    void releaseHook(int index) override;

    void xpmenusA();
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
    WindowCaption caption_;
    SoundStatus sound_;
    // What goes out also goes into the take while Record is on.
    TakeTee takeTee_;
    UntakenPlayerHost replayHost_;
    MidiSender midi_;
    PianoView pianoView_;
    PianoModel piano_;
    NoteInput input_;
    KeyPreview keys_;
    Dialogs dialogs_;
    QTimer timer3_;
    QTimer timer4_;
    std::unique_ptr<RecorderControls> recorder_;
    std::unique_ptr<TakeControls> take_;
    std::unique_ptr<SkinColours> skin_;
    SequenceFiles* sequences_;
    NetworkPlay* network_;
    ImageList imlToolbar_;
    modSubClass keyHook_;
    std::unique_ptr<cMenus> menus_;
    ShellCommands* shell_;
    bool unloaded_ = false;
    bool registered_ = false;
    // Last, so that the input stops before anything it plays on goes.
    std::unique_ptr<Form1MidiInput> midiInput_;
};
