#include "ui/window/Form1.h"

#include "logic/base/Files.h"
#include "ui/window/Form1MidiInput.h"
#include "logic/base/NumberText.h"
#include "ui/window/QtColour.h"
#include "logic/base/SettingsStore.h"
#include "ui/colour/SkinColours.h"
#include "ui/colour/frmcolor.h"
#include "ui/dialogs/Form2.h"
#include "ui/dialogs/Form3.h"
#include "ui/dialogs/frmAbout.h"
#include "logic/settings/SettingsFile.h"
#include "logic/midi/InstrumentNames.h"
#include "ui/keyboard/KeyTranslation.h"
#include "logic/keyboard/KeyboardLayout.h"
#include "logic/midi/MidiOut.h"
#include "ui/keyboard/PianoKey.h"
#include "ui/menus/cMenus.h"
#include "ui/net/NetworkPlay.h"
#include "ui/recording/RecorderControls.h"
#include "ui/recording/SequenceFiles.h"
#include "ui/desktop/ShellCommands.h"
#include "ui/take/TakeControls.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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
      caption_(*this),
      sound_(ui_, caption_, services_.settings),
      takeTee_(services_.midi, services_.clock),
      replayHost_(static_cast<PlayerHost&>(*this), takeTee_),
      midi_(takeTee_),
      pianoView_(midi_, ui_.key),
      piano_(pianoView_),
      input_(*this, piano_),
      keys_(*this, *ui_.txtSend, input_),
      dialogs_(*this, {services_.files, services_.paths.keyboardSettingsFile(), services_.paths.userColourFile()},
               [this] { return ui_.client->palette().color(QPalette::Window); },
               {[this](const Form2::Applied& a) {
                    baseNote = a.baseNote;
                    tempo = a.tempo;
                    times = a.times;
                },
                [this](int p) { setPatch(p); },
                [this](std::int32_t background, std::int32_t layer) { skin_->commit(background, layer); }})
{
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
        imlToolbar_.addFile(QString::fromLatin1(key), QStringLiteral(":/icons/%1.png").arg(QLatin1String(key)));
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
        keys_.keyboardLeft();
        if (now != windowHandle())
            keys_.releaseHeld();
    });

    services_.midi.setLateFailureHandler([this] { sound_.failedLate(); });
    services_.midi.setNoticeHandler([this](const PortNotice& notice) { showMidiPortNotice(notice); });

    timer4_.start();
}

Form1::~Form1()
{
    menus_.reset();
    qApp->removeEventFilter(this);
    dialogs_.closeAll();
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
    SettingsFile::installShipped(services_.files, services_.paths);
    sequences_->chopen(arguments);
    ui_.Frame1->setPalette(ui_.client->palette());
    shell_->findConverter();
    OpenMidiDevice(0);
    applyKeyboardSettings();
    skin_->applyStartUp();
    ReadPatch();
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
    sound_.opened(ok);
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
        keys_.keyboardLeft();
        keys_.releaseHeld();
    }
    return QMainWindow::event(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && !registered_ && watched == windowHandle()) {
        // The desktop's records wait until the window is on the screen.
        QTimer::singleShot(0, this, &Form1::firstOnScreen);
    }
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType())
        return keys_.preview(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
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
        keys_.chatTookFocus();
    } else if (event->type() == QEvent::Show && watched->isWidgetType() && watched != this) {
        // A menu, a dialog or a message box of Velorin's takes the keyboard
        // when it shows; a tooltip does not.
        const auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->windowType() != Qt::ToolTip)
            keys_.releaseHeld();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::setCaption(const std::string& caption)
{
    caption_.say(QString::fromStdString(caption));
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

Form2& Form1::showSettings()
{
    return dialogs_.showSettings();
}

Form3& Form1::showInstrument()
{
    return dialogs_.showInstrument();
}

frmcolor& Form1::showColourPicker()
{
    return dialogs_.showColourPicker();
}

frmAbout& Form1::showAbout()
{
    return dialogs_.showAbout();
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
    dialogs_.closeAll();
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
    return dialogs_.settings();
}

Form3* Form1::instrumentDialog() const
{
    return dialogs_.instrument();
}

frmcolor* Form1::colourPicker() const
{
    return dialogs_.colourPicker();
}

frmAbout* Form1::aboutDialog() const
{
    return dialogs_.about();
}

void Form1::connectMidiInput(MidiIn& input)
{
    midiInput_ = std::make_unique<Form1MidiInput>(*this, input);
}

void Form1::showMidiPortNotice(const PortNotice& notice)
{
    sound_.portNotice(notice);
}

bool Form1::isHeldByMidi(int i) const
{
    return piano_.heldBy(PianoSource::MidiKeyboard, i);
}
