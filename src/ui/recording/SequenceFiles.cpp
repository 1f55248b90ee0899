#include "ui/recording/SequenceFiles.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "ui/window/Form1Controls.h"
#include "logic/commandline/CommandLine.h"
#include "logic/recording/EventLog.h"
#include "ui/recording/RecorderControls.h"
#include "ui/take/TakeControls.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <utility>

SequenceFiles::SequenceFiles(QWidget* window, const Form1Controls& ui, RecorderControls& recorder, Files& files,
                             const AppPaths& paths)
    : QObject(window), window_(window), recorder_(recorder), files_(files), paths_(paths)
{
    connect(ui.mnuFileSav, &QAction::triggered, this, &SequenceFiles::save);
    connect(ui.mnufileload, &QAction::triggered, this, &SequenceFiles::load);
}

QString SequenceFiles::choose(Mode mode)
{
    if (chooser_)
        return chooser_(mode);
    QFileDialog dialog(window_);
    if (mode == Mode::Open)
        dialog.setNameFilters({QStringLiteral("Music Sequence (*.mus)"), QStringLiteral("Standard MIDI File (*.mid *.midi)")});
    else
        dialog.setNameFilter(QStringLiteral("Music Sequence (*.mus)"));
    dialog.setDefaultSuffix(QStringLiteral("mus"));
    dialog.setAcceptMode(mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Save asks itself, in one question about every file it would replace.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void SequenceFiles::tell(const QString& what, const std::string& path)
{
    tellWhy(what, path, files_.lastError());
}

void SequenceFiles::tellWhy(const QString& what, const std::string& path, const std::string& reason)
{
    warn(what + QStringLiteral(" ") + QString::fromStdString(path) + QStringLiteral(": ") +
         QString::fromStdString(reason));
}

void SequenceFiles::warn(const QString& text)
{
    // During start-up the window is not on the screen yet: the message
    // waits for it, so that it shows over the window, not on its own.
    if (holding_) {
        held_ << text;
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("velorin"), text, QMessageBox::Ok, window_);
    box.exec();
}

void SequenceFiles::showHeldMessages()
{
    const QStringList held = std::exchange(held_, {});
    for (const QString& text : held)
        warn(text);
}

namespace {
bool isMidiFileName(const QString& path)
{
    return path.endsWith(QStringLiteral(".mid"), Qt::CaseInsensitive) ||
           path.endsWith(QStringLiteral(".midi"), Qt::CaseInsensitive);
}
}  // namespace

void SequenceFiles::save()
{
    if (!files_.fileExists(paths_.eventLog())) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("velorin"),
                        QStringLiteral("No Recorded Sequence, Press F8 to record music."), QMessageBox::Ok, window_);
        box.exec();
        return;
    }
    const QString target = choose(Mode::Save);
    if (target.isEmpty() || !mayReplace(target.toStdString()))
        return;
    const auto bytes = files_.read(paths_.eventLog());
    if (!bytes)
        tell(QStringLiteral("Could not read the recording"), paths_.eventLog());
    else if (!files_.writeAtomically(target.toStdString(), *bytes))
        tell(QStringLiteral("Could not save"), target.toStdString());
    else if (take_ && !take_->saveBeside(target.toStdString()))
        tell(QStringLiteral("Could not save the take"), TakeControls::besidePath(target.toStdString()));
}

bool SequenceFiles::mayReplace(const std::string& target)
{
    // The take goes beside the sequence as a ".mid" file: a friend's file of
    // that name is as much the user's as the sequence itself.
    QStringList existing;
    if (files_.fileExists(target))
        existing << QFileInfo(QString::fromStdString(target)).fileName();
    const std::string beside = TakeControls::besidePath(target);
    if (take_ && take_->savesBeside() && files_.fileExists(beside))
        existing << QFileInfo(QString::fromStdString(beside)).fileName();
    if (existing.isEmpty())
        return true;
    const QString text = existing.size() == 1
                             ? existing[0] + QStringLiteral(" already exists. Do you want to replace it?")
                             : existing.join(QStringLiteral(" and ")) +
                                   QStringLiteral(" already exist. Do you want to replace them?");
    QMessageBox box(QMessageBox::Question, QStringLiteral("velorin"), text, QMessageBox::Yes | QMessageBox::No,
                    window_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SequenceFiles::load()
{
    // The recording is cleared only once the chosen file has been read.
    const QString source = choose(Mode::Open);
    if (source.isEmpty() || !files_.fileExists(source.toStdString()))
        return;
    if (take_ && isMidiFileName(source)) {
        loadMidiFile(source.toStdString());
        return;
    }
    const auto bytes = files_.read(source.toStdString());
    if (!bytes) {
        tell(QStringLiteral("Could not load"), source.toStdString());
        return;
    }
    recorder_.clear();
    if (!files_.writeAtomically(paths_.eventLog(), *bytes)) {
        tell(QStringLiteral("Could not write the recording"), paths_.eventLog());
        return;
    }
    std::string reason;
    if (take_ && !take_->loadBeside(source.toStdString(), &reason))
        tellWhy(QStringLiteral("Could not load the take"), TakeControls::besidePath(source.toStdString()), reason);
    recorder_.colourSoon();
    recorder_.replay();
}

void SequenceFiles::loadMidiFile(const std::string& path)
{
    // Read first: a file that is not a MIDI file changes nothing. Then it
    // is the recording, with no event log, and plays at once.
    std::string reason;
    auto events = take_->readMidiFile(path, &reason);
    if (!events) {
        tellWhy(QStringLiteral("Could not load"), path, reason);
        return;
    }
    recorder_.clear();
    take_->setTake(std::move(*events));
    recorder_.colourSoon();
    take_->replayTake();
}

void SequenceFiles::chopen(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return;
    holding_ = true;
    open(CommandLine::joined(arguments));
    holding_ = false;
}

bool SequenceFiles::open(const std::string& path)
{
    // Only a readable ".mus" file that holds a recording replaces the
    // recording; anything else is named and changes nothing.
    const auto refuse = [this, &path](const QString& why) {
        warn(QStringLiteral("Cannot open ") + QString::fromStdString(path) + QStringLiteral(": ") + why);
        return false;
    };
    const bool midiFile = take_ && isMidiFileName(QString::fromStdString(path));
    if (!CommandLine::hasSequenceSuffix(path) && !midiFile)
        return refuse(QStringLiteral("not a sequence file (.mus)"));
    if (!files_.fileExists(path))
        return refuse(QFileInfo::exists(QString::fromStdString(path)) ? QStringLiteral("not a file")
                                                                       : QStringLiteral("no such file"));
    if (midiFile) {
        // As Load takes it: the take, played shortly after, as a ".mus" is.
        std::string reason;
        auto events = take_->readMidiFile(path, &reason);
        if (!events)
            return refuse(QString::fromStdString(reason));
        recorder_.clear();
        take_->setTake(std::move(*events));
        recorder_.colourSoon();
        QTimer::singleShot(replayDelayMs, this, [take = take_] {
            if (!take->playing())
                take->replayTake();
        });
        return true;
    }
    const auto bytes = files_.read(path);
    if (!bytes)
        return refuse(QString::fromStdString(files_.lastError()));
    if (!EventLog::holdsLogLines(*bytes))
        return refuse(QStringLiteral("it holds no recorded notes"));
    if (!files_.writeAtomically(paths_.eventLog(), *bytes)) {
        tell(QStringLiteral("Could not write the recording"), paths_.eventLog());
        return false;
    }
    // A take beside the file that cannot be read is left out quietly.
    std::string reason;
    if (take_)
        take_->loadBeside(path, &reason);
    recorder_.colourSoon();
    recorder_.replaySoon();
    return true;
}
