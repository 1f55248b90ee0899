#include "recorder/ShellCommands.h"

#include "app/AppPaths.h"
#include "app/Files.h"
#include "app/Form1Controls.h"
#include "recorder/File_Commands.h"

#include <QAction>
#include <QWidget>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

ShellCommands::ShellCommands(QWidget* window, const Form1Controls& ui, Files& files, const AppPaths& paths)
    : QObject(window), window_(window), ui_(ui), files_(files), paths_(paths)
{
    connect(ui_.midiconv, &QAction::triggered, this, &ShellCommands::createMidi);
    connect(ui_.mnurdme, &QAction::triggered, this, &ShellCommands::openGuide);
}

void ShellCommands::setmimetype()
{
    File_Commands(window_, files_, paths_).setmimetype();
}

void ShellCommands::findConverter()
{
    converter_ = paths_.converterProgram(files_);
    ui_.midiconv->setEnabled(files_.fileExists(converter_));
}

void ShellCommands::createMidi()
{
    // It finds the recording by itself; a converter that does not start is ignored.
    if (ui_.midiconv->isEnabled())
        QProcess::startDetached(QString::fromStdString(converter_), {});
}

void ShellCommands::openGuide()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(paths_.guidePage(files_))));
}
