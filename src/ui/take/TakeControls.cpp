#include "ui/take/TakeControls.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "ui/window/Form1.h"
#include "logic/midi/MidiMessages.h"
#include "logic/midi/MidiOut.h"
#include "ui/recording/RecorderControls.h"
#include "logic/take/TakeTee.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcTake, "velorin.take", QtInfoMsg)

TakeControls::TakeControls(Form1& form, const Form1Controls& ui, TakeTee& tee, MidiOut& output,
                           RecorderControls& recorder, Files& files, const AppPaths& paths, Clock& clock)
    : QObject(nullptr),
      form_(form),
      ui_(ui),
      tee_(tee),
      output_(output),
      recorder_(recorder),
      files_(files),
      paths_(paths),
      player_(*this, clock)
{
    recoverOnStart();
    // Twice a second: a killed program loses at most the last half second.
    journalTimer_.setInterval(500);
    connect(&journalTimer_, &QTimer::timeout, this, &TakeControls::flushJournal);
    connect(ui_.mnuRecord, &QAction::toggled, this, &TakeControls::recordToggled);
    connect(ui_.mnuReplayTake, &QAction::triggered, this, &TakeControls::replayTake);
    connect(ui_.mnuSaveTake, &QAction::triggered, this, &TakeControls::saveTakeAs);
    connect(&recorder_, &RecorderControls::cleared, this, [this] {
        player_.stop();
        setTake({});
    });
    connect(&form_, &Form1::unloaded, this, &TakeControls::finish);
    recorder_.setReplayAllowed([this] { return !player_.running(); });
}

TakeControls::~TakeControls()
{
    finish();
}

void TakeControls::recoverOnStart()
{
    if (files_.fileExists(paths_.takeJournal())) {
        // The program ended while recording: the journal and the take file
        // as it was before that session make the take again.
        const auto journal = files_.read(paths_.takeJournal());
        const auto saved = files_.read(paths_.takeFile());
        tee_.take().replace(Take::recover(saved ? std::optional<std::string_view>(*saved) : std::nullopt,
                                          journal ? std::string_view(*journal) : std::string_view()));
        qCInfo(lcTake) << "recovered a take of" << tee_.take().events().size() << "messages";
        if (writeTakeFile())
            files_.remove(paths_.takeJournal());
        return;
    }
    std::string reason;
    if (files_.fileExists(paths_.takeFile())) {
        if (const auto bytes = readMidi(paths_.takeFile(), &reason)) {
            if (auto events = Take::fromMidiFile(*bytes, &reason)) {
                tee_.take().replace(std::move(*events));
                return;
            }
        }
        qCWarning(lcTake) << "the take file cannot be read:" << QString::fromStdString(reason);
    }
}

void TakeControls::recordToggled(bool on)
{
    Take& take = tee_.take();
    if (on) {
        take.start();
        // The instrument it was played on comes first.
        if (const auto patch = MidiMessages::programChange(form_.midi().midiChannel, form_.patch()))
            take.add(*patch);
        flushJournal();
        journalTimer_.start();
        return;
    }
    if (!take.recording())
        return;
    take.stop();
    journalTimer_.stop();
    flushJournal();
    // The journal goes only once the take file holds everything it had.
    if (writeTakeFile())
        files_.remove(paths_.takeJournal());
}

void TakeControls::flushJournal()
{
    tee_.take().markTime();
    const std::string lines = tee_.take().takeJournal();
    if (!lines.empty() && !files_.append(paths_.takeJournal(), lines))
        qCWarning(lcTake) << "the take's journal cannot be written:" << QString::fromStdString(files_.lastError());
}

void TakeControls::finish()
{
    player_.stop();
    if (tee_.take().recording())
        recordToggled(false);
}

bool TakeControls::writeTakeFile()
{
    if (tee_.take().empty())
        return !files_.fileExists(paths_.takeFile()) || files_.remove(paths_.takeFile());
    if (files_.writeAtomically(paths_.takeFile(), tee_.take().toMidiFile()))
        return true;
    qCWarning(lcTake) << "the take cannot be written:" << QString::fromStdString(files_.lastError());
    return false;
}

void TakeControls::setTake(std::vector<TakeEvent> events)
{
    player_.stop();
    tee_.take().replace(std::move(events));
    writeTakeFile();
    // A session that goes on writes a journal that starts from the new take.
    if (tee_.take().recording())
        flushJournal();
}

std::optional<std::string> TakeControls::readMidi(const std::string& path, std::string* reason) const
{
    // Looked at before reading, so a huge file is never read in.
    const QFileInfo info(QString::fromStdString(path));
    if (info.isFile() && info.size() > maxFileSize) {
        *reason = "it is larger than " + std::to_string(maxFileSize / (1024 * 1024)) + " MiB";
        return std::nullopt;
    }
    auto bytes = files_.read(path);
    if (!bytes)
        *reason = files_.lastError().empty() ? std::string("it cannot be read") : files_.lastError();
    return bytes;
}

std::string TakeControls::besidePath(const std::string& sequenceFile)
{
    const QFileInfo info(QString::fromStdString(sequenceFile));
    const QString stem = info.suffix().compare(QStringLiteral("mus"), Qt::CaseInsensitive) == 0
                             ? info.path() + QLatin1Char('/') + info.completeBaseName()
                             : QString::fromStdString(sequenceFile);
    return (stem + QStringLiteral(".mid")).toStdString();
}

bool TakeControls::savesBeside() const
{
    return !tee_.take().empty();
}

bool TakeControls::saveBeside(const std::string& sequenceFile)
{
    if (tee_.take().empty())
        return true;
    return files_.writeAtomically(besidePath(sequenceFile), tee_.take().toMidiFile());
}

bool TakeControls::loadBeside(const std::string& sequenceFile, std::string* reason)
{
    const std::string beside = besidePath(sequenceFile);
    if (!files_.fileExists(beside)) {
        setTake({});
        return true;
    }
    auto events = readMidiFile(beside, reason);
    setTake(events ? std::move(*events) : std::vector<TakeEvent>{});
    return events.has_value();
}

std::optional<std::vector<TakeEvent>> TakeControls::readMidiFile(const std::string& path, std::string* reason) const
{
    if (const auto bytes = readMidi(path, reason))
        return Take::fromMidiFile(*bytes, reason);
    return std::nullopt;
}

void TakeControls::replayTake()
{
    startOrStop();
    // The menu item toggles its own check mark when chosen: it shows whether
    // the take plays, whatever came of it.
    ui_.mnuReplayTake->setChecked(player_.running());
}

void TakeControls::startOrStop()
{
    if (player_.running()) {
        player_.stop();
        return;
    }
    if (recorder_.player().running()) {
        qCInfo(lcTake) << "Replay Take refused: the recording replays";
        return;  // one replay at a time
    }
    if (tee_.take().empty()) {
        tell(QStringLiteral("No take recorded, Press F8 to record music."), false);
        return;
    }
    if (player_.start(tee_.take().events())) {
        qCInfo(lcTake) << "replaying the take," << tee_.take().events().size() << "messages";
        form_.caption().setTakePlaying(true);
    }
}

void TakeControls::send(std::uint32_t message)
{
    output_.shortMsg(message);
    const std::uint32_t kind = message & 0xF0;
    if (kind != 0x80 && kind != 0x90)
        return;
    // The take's notes go out as they were; the piano only lights their keys.
    const int note = static_cast<int>((message >> 8) & 0x7F);
    if (kind == 0x90 && ((message >> 16) & 0x7F) != 0) {
        const int index = note - form_.baseNote;
        if (index >= 0 && index < KeyMap::keyCount)
            form_.piano().press(PianoPress{PianoSource::Take, note, index, true, std::nullopt, 0, -1, true});
    } else {
        form_.piano().release(PianoSource::Take, note);
    }
}

void TakeControls::takeEnded()
{
    form_.piano().releaseSource(PianoSource::Take);
    form_.caption().setTakePlaying(false);
    ui_.mnuReplayTake->setChecked(false);
    // The take may have changed the instrument: back to the one shown.
    if (const auto patch = MidiMessages::programChange(form_.midi().midiChannel, form_.patch()))
        output_.shortMsg(*patch);
}

void TakeControls::saveTakeAs()
{
    if (tee_.take().empty()) {
        tell(QStringLiteral("No take recorded, Press F8 to record music."), false);
        return;
    }
    QString target;
    if (chooser_) {
        target = chooser_();
    } else {
        QFileDialog dialog(&form_);
        dialog.setNameFilter(QStringLiteral("Standard MIDI File (*.mid)"));
        dialog.setDefaultSuffix(QStringLiteral("mid"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            target = dialog.selectedFiles().constFirst();
    }
    if (target.isEmpty())
        return;
    if (!files_.writeAtomically(target.toStdString(), tee_.take().toMidiFile()))
        tell(QStringLiteral("Could not save ") + target + QStringLiteral(": ") +
                 QString::fromStdString(files_.lastError()),
             true);
}

void TakeControls::tell(const QString& text, bool warning)
{
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Information, QStringLiteral("velorin"), text,
                    QMessageBox::Ok, &form_);
    box.exec();
}
