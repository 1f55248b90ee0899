#pragma once

#include "logic/recording/Player.h"
#include "logic/recording/Recorder.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

class Files;
class Form1;
struct AppPaths;
struct Form1Controls;

// The recorder and player on the main window: Record, Replay and Clear, the
// speed bar, the replay label's colours and hover, and the timers behind them.
class RecorderControls : public QObject {
    Q_OBJECT
public:
    RecorderControls(Form1& form, PlayerHost& host, const Form1Controls& ui, Files& files, const AppPaths& paths,
                     Clock& clock);

    void replay();
    // Clear keeps the recording it removes aside until the next recording
    // starts; undoClear brings it back while there is no other.
    void clear();
    void undoClear();
    // Replays 100 ms from now, once.
    void replaySoon();

    Recorder& recorder() { return recorder_; }
    Player& player() { return player_; }
    QTimer& Timer5() { return timer5_; }

    // The recorder-state colouring of the replay label and the speed bar.
    void colourReplayLabel();
    // The same, once the current event is handled: after the log changed.
    void colourSoon();

    // Asked before each replay: another player may hold the output.
    void setReplayAllowed(std::function<bool()> allowed) { replayAllowed_ = std::move(allowed); }

signals:
    // Clear has run: the recording is gone.
    void cleared();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchLog();

    Form1& form_;
    const Form1Controls& ui_;
    Files& files_;
    const AppPaths& paths_;
    Recorder recorder_;
    Player player_;
    QFileSystemWatcher logWatch_;
    QTimer timer5_;
    std::function<bool()> replayAllowed_;
};
