#pragma once

#include "logic/take/TakePlayer.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>

class Clock;
class Files;
class Form1;
class MidiOut;
class RecorderControls;
class TakeTee;
struct AppPaths;
struct Form1Controls;

// The take on the main window: recording it with Record, keeping it safe in
// a journal while it grows, the take file beside the event log, Replay Take,
// Save Take as MIDI, and the take that goes with a sequence file.
class TakeControls : public QObject, private TakePlayerHost {
    Q_OBJECT
public:
    // Messages of a replayed take go straight to output, not through the tee.
    TakeControls(Form1& form, const Form1Controls& ui, TakeTee& tee, MidiOut& output, RecorderControls& recorder,
                 Files& files, const AppPaths& paths, Clock& clock);
    ~TakeControls() override;

    // Plays the take, or stops it when it plays. Refused while the event
    // log replays.
    void replayTake();
    bool playing() const { return player_.running(); }
    void saveTakeAs();

    // The take of a sequence file: "tune.mid" beside "tune.mus".
    static std::string besidePath(const std::string& sequenceFile);
    // True when saving a sequence file writes the take beside it.
    bool savesBeside() const;
    // Writes the take beside a saved sequence file; true when there was
    // nothing to write or it was written.
    bool saveBeside(const std::string& sequenceFile);
    // Takes the file beside a loaded sequence file as the take (none: no
    // take); false, with the reason, when that file is not a MIDI file.
    bool loadBeside(const std::string& sequenceFile, std::string* reason);
    // A MIDI file's messages as a take; nothing, with the reason, when it
    // cannot be read or is not a MIDI file.
    std::optional<std::vector<TakeEvent>> readMidiFile(const std::string& path, std::string* reason) const;
    // Replaces the take, in memory and in its file.
    void setTake(std::vector<TakeEvent> events);

    // Largest MIDI file read.
    static constexpr qint64 maxFileSize = 64 * 1024 * 1024;

    // Asks for the file to save the take in; empty means cancelled.
    using Chooser = std::function<QString()>;
    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }

    const TakeTee& tee() const { return tee_; }

private:
    void send(std::uint32_t message) override;
    void takeEnded() override;

    void startOrStop();
    void recordToggled(bool on);
    void flushJournal();
    void finish();
    void recoverOnStart();
    bool writeTakeFile();
    std::optional<std::string> readMidi(const std::string& path, std::string* reason) const;
    void tell(const QString& text, bool warning);

    Form1& form_;
    const Form1Controls& ui_;
    TakeTee& tee_;
    MidiOut& output_;
    RecorderControls& recorder_;
    Files& files_;
    const AppPaths& paths_;
    TakePlayer player_;
    QTimer journalTimer_;
    Chooser chooser_;
};
