#include "recorder/ShellCommands.h"

#include "app/AppPaths.h"
#include "app/Files.h"
#include "app/Form1Controls.h"
#include "recorder/File_Commands.h"

#include <QAction>
#include <QWidget>
#include <QDesktopServices>
#include <QMessageBox>
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
    if (!ui_.midiconv->isEnabled())
        return;
    // It finds the recording by itself. Success is silent; a failure is told
    // in the converter's own words (its first line on standard error).
    auto* run = new QProcess(this);
    const QString program = QString::fromStdString(converter_);
    connect(run, &QProcess::finished, this, [this, run, program](int code, QProcess::ExitStatus status) {
        run->deleteLater();
        if (status == QProcess::NormalExit && code == 0)
            return;
        QString why = QString::fromLocal8Bit(run->readAllStandardError()).section(QLatin1Char('\n'), 0, 0).trimmed();
        if (why.isEmpty())
            why = program + (status == QProcess::NormalExit ? QStringLiteral(" failed with status %1").arg(code)
                                                            : QStringLiteral(" stopped unexpectedly"));
        tell(why);
    });
    connect(run, &QProcess::errorOccurred, this, [this, run, program](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;  // the end of a run that started is told by finished
        run->deleteLater();
        tell(QStringLiteral("Could not start ") + program + QStringLiteral(": ") + run->errorString());
    });
    run->start(program, {});
}

void ShellCommands::tell(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("velorin"), text, QMessageBox::Ok, window_);
    box.exec();
}

void ShellCommands::openGuide()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(paths_.guidePage(files_))));
}
