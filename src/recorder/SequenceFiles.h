#pragma once

#include <QObject>
#include <QString>

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
    // Copies the file named on the command line over the log and replays it shortly.
    void chopen(const std::vector<std::string>& arguments);

    void setChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    // The take saved and loaded beside each sequence file.
    void setTake(TakeControls* take) { take_ = take; }

private:
    QString choose(Mode mode);
    bool copy(const std::string& from, const std::string& to);
    // A message box with what failed, the file and the reason.
    void tell(const QString& what, const std::string& path);
    void tellWhy(const QString& what, const std::string& path, const std::string& reason);
    void loadMidiFile(const std::string& path);

    QWidget* window_;
    RecorderControls& recorder_;
    Files& files_;
    const AppPaths& paths_;
    Chooser chooser_;
    TakeControls* take_ = nullptr;
};
