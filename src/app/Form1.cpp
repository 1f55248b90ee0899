#include "app/Form1.h"

#include "app/Files.h"
#include "app/Form1MidiInput.h"
#include "app/NumberText.h"
#include "app/QtColour.h"
#include "app/SettingsStore.h"
#include "colour/SkinColours.h"
#include "colour/frmcolor.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "dialogs/frmAbout.h"
#include "dialogs/SettingsFile.h"
#include "midi/InstrumentNames.h"
#include "midi/KeyTranslation.h"
#include "midi/KeyboardLayout.h"
#include "midi/MidiOut.h"
#include "midi/PianoKey.h"
#include "menus/cMenus.h"
#include "net/NetworkPlay.h"
#include "recorder/RecorderControls.h"
#include "recorder/SequenceFiles.h"
#include "recorder/ShellCommands.h"
#include "recorder/TakeControls.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTime>
#include <QWindow>

namespace {
void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}
}  // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      ui_(this),
      portNotices_(*ui_.midiNotice),
      takeTee_(services_.midi, services_.clock),
      replayHost_(static_cast<PlayerHost&>(*this), takeTee_),
      midi_(takeTee_),
      pianoView_(midi_, ui_.key),
      piano_(pianoView_),
      input_(*this, piano_),
      repeats_([this](int code) { input_.keyDown(code); }, [this](int code) { input_.keyUp(code); })
{
    // A release held back to see whether it is half of an auto-repeat is
    // delivered when no press of its key follows within a few milliseconds:
    // the press of a repeat comes at once, but may not have been read yet.
    repeatFlush_.setSingleShot(true);
    repeatFlush_.setInterval(10);
    connect(&repeatFlush_, &QTimer::timeout, this, [this] { repeats_.flush(); });
    // Record on or off ends whatever is held, before the take starts or
    // ends: connected first, so this runs before the take's own handler.
    connect(ui_.mnuRecord, &QAction::toggled, this, [this] { piano_.releaseAll(); });
    timer3_.setInterval(2000);
    timer4_.setInterval(1000);
    recorder_ = std::make_unique<RecorderControls>(*this, replayHost_, ui_, services_.files, services_.paths,
                                                   services_.clock);
    sequences_ = new SequenceFiles(this, ui_, *recorder_, services_.files, services_.paths);
    take_ = std::make_unique<TakeControls>(*this, ui_, takeTee_, services_.midi, *recorder_, services_.files,
                                           services_.paths, services_.clock);
    sequences_->setTake(take_.get());
    network_ = new NetworkPlay(*this, ui_, services_.socket, services_.files, services_.paths);
    for (const char* key : {"load", "colr", "set", "rec", "rep1", "help", "rep", "midi", "cls", "sav"})
        imlToolbar_.add(QString::fromLatin1(key), QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(key))));
    skin_ = std::make_unique<SkinColours>(ui_, services_.files, services_.paths);
    shell_ = new ShellCommands(this, ui_, services_.files, services_.paths);

    connect(&timer3_, &QTimer::timeout, this, [this] {
        setTextColour(ui_.instru, palette().color(QPalette::ButtonText));
        timer3_.stop();
    });
    connect(&timer4_, &QTimer::timeout, this, &Form1::updateClock);
    connect(ui_.HScrollPatch, &QScrollBar::valueChanged, this, &Form1::patchChanged);
    connect(ui_.mnuFileexit, &QAction::triggered, this, &QWidget::close);
    connect(ui_.mnuSet, &QAction::triggered, this, [this] { showSettings(); });
    connect(ui_.mnuinstrx, &QAction::triggered, this, [this] { showInstrument(); });
    connect(ui_.mnucolr, &QAction::triggered, this, [this] { showColourPicker(); });
    connect(ui_.mnuAbout, &QAction::triggered, this, [this] { showAbout(); });
    for (PianoKey* k : ui_.key) {
        connect(k, &PianoKey::mouseDown, this, [this](int i) { input_.mouseDown(i); });
        connect(k, &PianoKey::mouseUp, this, [this](int i) { input_.mouseUp(i); });
    }
    // Key preview: the window sees every key event of itself and its children first.
    qApp->installEventFilter(this);

    ui_.HScrollPatch->installEventFilter(this);
    ui_.Label2->installEventFilter(this);
    ui_.client->installEventFilter(this);
    // Keys held while the keyboard goes elsewhere never see their key-up here.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) {
        repeats_.unmuteAll();
        if (now != windowHandle())
            releaseHeldKeys();
    });

    services_.midi.setLateFailureHandler([this] { showDeviceFault(true); });
    services_.midi.setNoticeHandler([this](const PortNotice& notice) { showMidiPortNotice(notice); });

    timer4_.start();
}

Form1::~Form1()
{
    menus_.reset();
    qApp->removeEventFilter(this);
    delete form2_;
    delete form3_;
    delete frmcolor_;
    delete about_;
    services_.midi.setLateFailureHandler({});
    services_.midi.setNoticeHandler({});
}

int Form1::patch() const
{
    return ui_.HScrollPatch->value();
}

void Form1::startUp(const std::vector<std::string>& arguments)
{
    updateClock();
    restoreLastPatch();
    xpmenusA();
    // Velorin's own folder in the user's data: made on first use, so that
    // settings and recordings have a place to go.
    services_.files.makeFolder(services_.paths.midiFolder);
    installShippedKeyboardSettings();
    sequences_->chopen(arguments);
    ui_.Frame1->setPalette(ui_.client->palette());
    shell_->findConverter();
    OpenMidiDevice(0);
    applyKeyboardSettings();
    skin_->applyStartUp();
    ReadPatch();
}

void Form1::installShippedKeyboardSettings()
{
    // A first start gets the keyboard settings its installation ships (base
    // note 60, as the key captions read); a file the user has is never touched.
    const std::string mine = services_.paths.keyboardSettingsFile();
    if (services_.files.fileExists(mine))
        return;
    const std::string shipped = services_.paths.shippedKeyboardSettings(services_.files);
    if (!services_.files.fileExists(shipped))
        return;
    if (const auto bytes = services_.files.read(shipped))
        services_.files.writeAtomically(mine, *bytes);
}

void Form1::registerWithDesktop()
{
    if (registered_)
        return;
    registered_ = true;
    shell_->setmimetype();
}

void Form1::firstOnScreen()
{
    registerWithDesktop();
    sequences_->showHeldMessages();
}

void Form1::openFromOutside(const std::string& file)
{
    // A later start of Velorin: the window comes forward and opens its file
    // as a start with that file would.
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (!file.empty())
        sequences_->open(file);
}

void Form1::showDeviceFault(bool fault)
{
    const QString notReady = QStringLiteral("Velorin - Device not ready");
    if (fault) {
        if (windowTitle() != notReady)
            captionBeforeFailure_ = windowTitle();
        setWindowTitle(notReady);
        const std::string port = services_.settings.value("midi", "output");
        ui_.setDeviceFault(
            port.empty()
                ? QStringLiteral("No sound: the sound output could not be opened. Check that a sound server (PipeWire "
                                 "or PulseAudio) runs and a General MIDI SoundFont is installed (fluid-soundfont-gm), "
                                 "or name a MIDI port as midi/output in ~/.config/velorin/velorin.ini; then start "
                                 "Velorin again.")
                : QStringLiteral("No sound: the MIDI port \"%1\" named as midi/output in "
                                 "~/.config/velorin/velorin.ini is not there. Velorin plays into it as soon as it "
                                 "appears; without midi/output it plays through its own synthesizer.")
                      .arg(QString::fromStdString(port)));
    }
    ui_.deviceFault->setVisible(fault);
}

void Form1::restoreLastPatch()
{
    // Only a number in 0..127 selects a patch; anything else leaves the bar at 0.
    const auto stored = NumberText::strictNumber(services_.settings.value("instru", "instru"));
    const auto value = stored ? NumberText::toInt32(*stored) : std::nullopt;
    if (value && *value >= 0 && *value <= 127)
        ui_.HScrollPatch->setValue(*value);
}

void Form1::applyKeyboardSettings()
{
    midi_.midiChannel = 0;
    baseNote = 59;
    midi_.noteVelocity = 127;
    const std::string file = services_.paths.keyboardSettingsFile();
    const auto text = services_.files.fileExists(file) ? services_.files.read(file) : std::nullopt;
    const auto s = SettingsFile::keyboardSettings(text);
    midi_.midiChannel = s.midiChannel;
    baseNote = s.baseNote;
    times = s.times;
    ui_.tdelay->setRange(s.delayMin, std::max(s.delayMin, s.delayMax));
    // A default outside the bar's range does not move the bar; tempo takes it anyway.
    if (s.delayValue >= s.delayMin && s.delayValue <= s.delayMax)
        ui_.tdelay->setValue(s.delayValue);
    tempo = s.tempo;
}

bool Form1::OpenMidiDevice(std::int16_t n)
{
    const bool ok = midi_.OpenMidiDevice(n);
    showDeviceFault(!ok);
    return ok;
}

std::optional<std::string> Form1::instrumentNamesText() const
{
    return services_.files.read(services_.paths.instrumentNamesFile(services_.files));
}

void Form1::ReadPatch()
{
    const auto names = instrumentNamesText();
    ui_.instru->setText(QString::fromStdString(InstrumentNames::name(names, patch())));
    midi_.sendProgramChange(patch());
}

void Form1::highlightInstrument()
{
    timer3_.start();
    setTextColour(ui_.instru, qColour(rgb(192, 64, 0)));
}

void Form1::patchChanged()
{
    highlightInstrument();
    ReadPatch();
    timer3_.stop();
    timer3_.start();
}

void Form1::NoteOn(int i)
{
    input_.replayOn(i);
}

void Form1::NoteOff(int i)
{
    input_.replayOff(i);
}

void Form1::fillInstrumentLists()
{
    // Filled afresh each time, so that the lists hold every name once.
    ui_.makeInstrumentLists();
    const auto names = instrumentNamesText();
    for (int k = 0; k < InstrumentNames::listCount; ++k)
        ui_.loadnam[static_cast<std::size_t>(k)]->setPlainText(
            QString::fromStdString(InstrumentNames::listText(names, k)));
}

void Form1::updateClock()
{
    ui_.Label5->setText(QStringLiteral("  ") + QTime::currentTime().toString(QStringLiteral("HH:mm")));
}

bool Form1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        fillInstrumentLists();
    else if (event->type() == QEvent::WindowDeactivate) {
        repeats_.unmuteAll();
        releaseHeldKeys();
    }
    return QMainWindow::event(event);
}

void Form1::releaseHeldKeys()
{
    // Keys held while a menu, a dialog, another window or the chat line takes
    // the keyboard never see their key-up: release them now through the
    // key-up path, or their notes would hang and go unrecorded.
    repeats_.forgetHeld();
    input_.releaseAll();
}

namespace {
// Which key a stroke is: the physical key when the event carries it, else
// the Qt key (events made by tests), kept apart from scan codes.
std::uint32_t strokeKey(const QKeyEvent& event)
{
    return event.nativeScanCode() ? event.nativeScanCode() : 0x80000000u | static_cast<std::uint32_t>(event.key());
}
}  // namespace

bool Form1::previewKey(QWidget* receiver, QKeyEvent* event)
{
    // A key event goes first to the focus widget and then, if ignored, up to
    // its parents: handle it once, at its first receiver.
    QWidget* first = focusWidget() ? focusWidget() : this;
    if (redelivering_ || receiver->window() != this || receiver != first)
        return false;
    const KeyRepeatFilter::Stroke stroke{strokeKey(*event), event->timestamp(), event->isAutoRepeat(),
                                         virtualKeyCode(*event)};
    if (repeats_.muted(stroke, event->type() == QEvent::KeyRelease))
        return true;  // held when the chat line took the keyboard: types nothing
    if (event->type() == QEvent::KeyRelease) {
        repeats_.release(stroke);
    } else {
        handlingKey_ = stroke.key;
        repeats_.press(stroke);
        handlingKey_ = 0;
    }
    if (repeats_.hasPending())
        repeatFlush_.start();
    if (event->type() == QEvent::KeyRelease)
        return false;
    if (focusWidget() == ui_.txtSend && first != ui_.txtSend) {
        // The chat line took the focus: the key types into it.
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                       static_cast<quint16>(event->count()));
        redelivering_ = true;
        QCoreApplication::sendEvent(ui_.txtSend, &copy);
        redelivering_ = false;
        return true;
    }
    return false;
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && !registered_ && watched == windowHandle()) {
        // The desktop's records wait until the window is on the screen.
        QTimer::singleShot(0, this, &Form1::firstOnScreen);
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType())
        return previewKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::MouseButtonRelease && watched == ui_.Label2 &&
        ui_.Label2->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        showAbout();
    } else if (event->type() == QEvent::MouseMove) {
        if (watched == ui_.Label2) {
            setTextColour(ui_.Label2, qColour(rgb(128, 0, 0)));
            // Taken here: passed on, it would reach the window below and undo the colour.
            return true;
        }
        if (watched == ui_.client)
            setTextColour(ui_.Label2, qColour(rgb(64, 0, 64)));
    } else if (event->type() == QEvent::FocusIn && watched == ui_.HScrollPatch) {
        highlightInstrument();
    } else if (event->type() == QEvent::FocusIn && watched == ui_.txtSend) {
        // Keys still held would auto-repeat into the chat line; the key
        // that moved the focus there by typing is the one exception.
        repeats_.muteHeld(handlingKey_);
        releaseHeldKeys();
    } else if (event->type() == QEvent::Show && watched->isWidgetType() && watched != this) {
        // A menu, a dialog or a message box of Velorin's takes the keyboard
        // when it shows; a tooltip does not.
        const auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->windowType() != Qt::ToolTip)
            releaseHeldKeys();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::setCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void Form1::setPatch(int patch)
{
    ui_.HScrollPatch->setValue(patch);
}

bool Form1::chatInputActive() const
{
    return ui_.txtSend->isEnabled() && !ui_.txtSend->isHidden();
}

void Form1::focusChatInput()
{
    ui_.txtSend->setFocus();
}

bool Form1::isConnected() const
{
    return network_->isConnected();
}

void Form1::sendKeyIndex(int index)
{
    network_->sendKeyIndex(index);
}

bool Form1::isRecording() const
{
    return ui_.mnuRecord->isChecked();
}

void Form1::pressHook(int index)
{
    recorder_->recorder().pressHook(index);
    recorder_->colourSoon();
}

void Form1::releaseHook(int index)
{
    recorder_->recorder().releaseHook(index);
    recorder_->colourSoon();
}

namespace {
// A dialog closed by its OK or by the user is unloaded, even while its
// deletion is still pending: the next use makes a new one.
template <typename Dialog>
void forgetClosed(QPointer<Dialog>& dialog)
{
    if (dialog && dialog->isHidden()) {
        dialog->deleteLater();
        dialog = nullptr;
    }
}
}  // namespace

Form2& Form1::showSettings()
{
    forgetClosed(form2_);
    if (!form2_) {
        form2_ = new Form2(services_.files, services_.paths.keyboardSettingsFile(), ui_.client->palette().color(QPalette::Window),
                           [this](const Form2::Applied& a) {
                               baseNote = a.baseNote;
                               tempo = a.tempo;
                               times = a.times;
                           },
                           this);
        form2_->setAttribute(Qt::WA_DeleteOnClose);
    }
    form2_->show();
    form2_->raise();
    return *form2_;
}

Form3& Form1::showInstrument()
{
    forgetClosed(form3_);
    if (!form3_) {
        form3_ = new Form3(ui_.client->palette().color(QPalette::Window), [this](int p) { setPatch(p); }, this);
        form3_->setAttribute(Qt::WA_DeleteOnClose);
    }
    form3_->show();
    form3_->raise();
    return *form3_;
}

frmcolor& Form1::showColourPicker()
{
    forgetClosed(frmcolor_);
    if (!frmcolor_) {
        frmcolor_ = new frmcolor(services_.files, services_.paths.userColourFile(),
                                 ui_.client->palette().color(QPalette::Window),
                                 [this](std::int32_t background, std::int32_t layer) { skin_->commit(background, layer); },
                                 this);
        frmcolor_->setAttribute(Qt::WA_DeleteOnClose);
    }
    frmcolor_->show();
    frmcolor_->raise();
    return *frmcolor_;
}

frmAbout& Form1::showAbout()
{
    forgetClosed(about_);
    if (!about_) {
        about_ = new frmAbout(ui_.client->palette().color(QPalette::Window), this);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
    return *about_;
}

void Form1::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void Form1::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    services_.settings.setValue("instru", "instru", std::to_string(patch()));
    recorder_->player().stop();
    midi_.close();
    delete form2_;
    delete form3_;
    delete frmcolor_;
    delete about_;
    emit unloaded();
}

void Form1::xpmenusA()
{
    // The menus keep their plain look if the engine cannot take them over.
    try {
        menus_ = std::make_unique<cMenus>(keyHook_, services_.files);
        menus_->setImageList(&imlToolbar_);
        menus_->setDrawStyle(1);
        menus_->CreateFromForm(this, true);
        const std::pair<const char*, const char*> images[] = {{"mnuFileSav", "sav"},  {"mnufileload", "load"},
                                                              {"mnufileclear", "cls"}, {"mnuSet", "set"},
                                                              {"mnurdme", "midi"},    {"mnucolr", "colr"}};
        for (const auto& [name, key] : images)
            menus_->setItemImage(QString::fromLatin1(key), QString::fromLatin1(name));
    } catch (...) {
        menus_.reset();
    }
}

Form2* Form1::settingsDialog() const
{
    return form2_;
}

Form3* Form1::instrumentDialog() const
{
    return form3_;
}

frmcolor* Form1::colourPicker() const
{
    return frmcolor_;
}

frmAbout* Form1::aboutDialog() const
{
    return about_;
}

void Form1::connectMidiInput(MidiIn& input)
{
    midiInput_ = std::make_unique<Form1MidiInput>(*this, input);
}

void Form1::showMidiPortNotice(const PortNotice& notice)
{
    portNotices_.show(notice);
    if (notice.direction != PortNotice::Direction::Output)
        return;
    const QString notReady = QStringLiteral("Velorin - Device not ready");
    if (notice.problem) {
        if (windowTitle() != notReady)
            captionBeforeFailure_ = windowTitle();
        setWindowTitle(notReady);
    } else {
        // The port is back: so is the sound.
        ui_.deviceFault->hide();
        if (windowTitle() == notReady && !captionBeforeFailure_.isEmpty())
            setWindowTitle(captionBeforeFailure_);
    }
}

bool Form1::isHeldByMidi(int i) const
{
    return piano_.heldBy(PianoSource::MidiKeyboard, i);
}
