#include "ui/desktop/ShellCommands.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "ui/window/Form1Controls.h"
#include "ui/desktop/File_Commands.h"

#include <QAction>
#include <QWidget>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
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

namespace {
// Whether the desktop has something to show a web page with, asked the way
// xdg-open looks: the default for HTML, then $BROWSER, then the usual browsers.
bool browserAvailable()
{
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    for (const char* name : {"x-www-browser", "www-browser", "firefox", "firefox-esr", "chromium",
                             "google-chrome", "epiphany", "konqueror", "falkon", "lynx", "w3m", "links", "elinks"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            return true;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(100);
        return true;  // no answer is no proof of absence
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}
}  // namespace

void ShellCommands::openGuide()
{
    const QString page = QString::fromStdString(paths_.guidePage(files_));
    if (browserAvailable() && QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        return;
    QMessageBox box(QMessageBox::Information, QStringLiteral("velorin"),
                    QStringLiteral("No web browser was found to show the guide. It is here:\n") + page,
                    QMessageBox::Ok, window_);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}
