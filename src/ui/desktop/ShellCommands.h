#pragma once

#include <QObject>

#include <string>

class Files;
class QString;
class QWidget;
struct AppPaths;
struct Form1Controls;

// The main window's ties to the desktop: the file type at start-up,
// "&Create MIDI" (the converter shipped with the program) and "&Guide".
class ShellCommands : public QObject {
    Q_OBJECT
public:
    ShellCommands(QWidget* window, const Form1Controls& ui, Files& files, const AppPaths& paths);

    void setmimetype();
    // Enables "&Create MIDI" for the rest of the run when the converter is there now.
    void findConverter();

    void createMidi();
    void openGuide();

private:
    void tell(const QString& text);

    QWidget* window_;
    const Form1Controls& ui_;
    Files& files_;
    const AppPaths& paths_;
    std::string converter_;
};
