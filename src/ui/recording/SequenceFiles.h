#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class Files;
class QWidget;
class RecorderControls;
class TakeControls;
struct AppPaths;
struct Form1Controls;

// Save and Load of ".mus" sequence files, byte copies of the event log, and
// opening one named on the command line.
class SequenceFiles : public QObject {
    Q_OBJECT
public:
    enum class Mode { Save, Open };
    // Asks the user for a file; an empty answer means cancelled.
    using Chooser = std::function<QString(Mode)>;

    SequenceFiles(QWidget* window, const Form1Controls& ui, RecorderControls& recorder, Files& files,
                  const AppPaths& paths);

    void save();
    void load();
    // Opens the file named on the command line (the arguments as one text,
    // without surrounding quotes). What it has to tell waits for showHeldMessages.
    void chopen(const std::vector<std::string>& arguments);
    // Shows the messages of the start-up's file, once the window is on the screen.
    void showHeldMessages();
    // Copies a sequence file over the log and replays it shortly; a MIDI file
    // becomes the take and plays shortly, as Load does it. A file that cannot
    // be read, or holds no recording, is named in a message box and the
    // recording is kept; false then.
    bool open(const std::string& path);

    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    // An opened file starts playing this long after, as the window settles.
    static constexpr int replayDelayMs = 100;
    // The take saved and loaded beside each sequence file.
    void setTake(TakeControls* take) { take_ = take; }

private:
    QString choose(Mode mode);
    // Asks once before a save replaces the sequence file or the take's file
    // beside it; true when nothing would be replaced or the user agreed.
    bool mayReplace(const std::string& target);
    // A message box with what failed, the file and the reason.
    void tell(const QString& what, const std::string& path);
    void tellWhy(const QString& what, const std::string& path, const std::string& reason);
    // A warning in a message box over the window, or held while start-up runs.
    void warn(const QString& text);
    void loadMidiFile(const std::string& path);

    QWidget* window_;
    RecorderControls& recorder_;
    Files& files_;
    const AppPaths& paths_;
    Chooser chooser_;
    TakeControls* take_ = nullptr;
    bool holding_ = false;
    QStringList held_;
};
