#include "ui/recording/RecorderControls.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "ui/window/Form1.h"
#include "logic/base/NumberText.h"
#include "ui/window/QtColour.h"

#include <QAction>
#include <QFileInfo>
#include <QMessageBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

namespace {
void setTextColour(QWidget* w, std::int32_t colour)
{
    const QColor c = qColour(colour);
    if (w->palette().color(QPalette::WindowText) == c)
        return;
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

bool isClick(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    auto* w = static_cast<QWidget*>(watched);
    return w->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint());
}
}  // namespace

RecorderControls::RecorderControls(Form1& form, PlayerHost& host, const Form1Controls& ui, Files& files,
                                   const AppPaths& paths, Clock& clock)
    : form_(form),
      ui_(ui),
      files_(files),
      paths_(paths),
      recorder_(clock, files, paths.eventLog(), [&host](const std::string& c) { host.setCaption(c); }),
      player_(host, clock)
{
    // The label follows the log: Velorin recolours it after each change it
    // makes itself, and a watch on the log and its folder catches changes
    // made from outside, so an idle window is never woken for it.
    connect(&logWatch_, &QFileSystemWatcher::fileChanged, this, &RecorderControls::colourReplayLabel);
    connect(&logWatch_, &QFileSystemWatcher::directoryChanged, this, &RecorderControls::colourReplayLabel);
    colourSoon();
    recorder_.setLostLineHandler([this](const std::string& reason) {
        // Told once the key or menu event that lost the line is over.
        const QString text = QStringLiteral("What you play cannot be recorded: ") +
                             QString::fromStdString(paths_.eventLog()) + QStringLiteral(": ") +
                             QString::fromStdString(reason);
        QTimer::singleShot(0, this, [this, text] {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("velorin"), text, QMessageBox::Ok, &form_);
            box.exec();
        });
    });
    timer5_.setInterval(100);
    connect(&timer5_, &QTimer::timeout, this, [this] {
        replay();
        timer5_.stop();
    });

    connect(ui_.mnuRecord, &QAction::triggered, this, [this](bool on) {
        recorder_.zeroCounts();
        // A new recording starts: what the last Clear kept goes for good.
        if (on && files_.fileExists(paths_.clearedEventLog())) {
            files_.remove(paths_.clearedEventLog());
            colourSoon();
        }
    });
    connect(ui_.mnuUndoClear, &QAction::triggered, this, &RecorderControls::undoClear);
    connect(ui_.mnuReplaymid, &QAction::triggered, this, &RecorderControls::replay);
    connect(ui_.mnufileclear, &QAction::triggered, this, &RecorderControls::clear);
    connect(ui_.tdelay, &QScrollBar::valueChanged, this, [this](int value) {
        form_.tempo = static_cast<std::int16_t>(value);
        ui_.instru->setText(QString::fromStdString("Time delay: " + NumberText::toText(value)));
    });
    for (QWidget* w : {static_cast<QWidget*>(ui_.Label4), static_cast<QWidget*>(ui_.lblTitle),
                       static_cast<QWidget*>(ui_.Frame1)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

void RecorderControls::replay()
{
    if (player_.running() || (replayAllowed_ && !replayAllowed_()))
        return;
    // No log, or one that cannot be read: nothing to play.
    if (auto log = files_.read(paths_.eventLog()))
        player_.start(std::move(*log));
}

void RecorderControls::replaySoon()
{
    timer5_.start();
}

void RecorderControls::clear()
{
    colourSoon();
    player_.stop();
    if (files_.fileExists(paths_.eventLog())) {
        // Kept aside, so that a stray click loses nothing until the next recording starts.
        if (const auto bytes = files_.read(paths_.eventLog()))
            files_.writeAtomically(paths_.clearedEventLog(), *bytes);
        files_.remove(paths_.eventLog());
        files_.remove(paths_.oldEventLog());
        recorder_.zeroCounts();
    }
    files_.remove(paths_.eventLog());
    form_.caption().say(QStringLiteral("Velorin Piano"));
    emit cleared();
}

void RecorderControls::undoClear()
{
    if (files_.fileExists(paths_.eventLog()) || !files_.fileExists(paths_.clearedEventLog()))
        return;
    const auto bytes = files_.read(paths_.clearedEventLog());
    if (bytes && files_.writeAtomically(paths_.eventLog(), *bytes))
        files_.remove(paths_.clearedEventLog());
    colourSoon();
}

void RecorderControls::colourSoon()
{
    QTimer::singleShot(0, this, &RecorderControls::colourReplayLabel);
}

void RecorderControls::watchLog()
{
    // A watched file drops out of the watch when it is removed or replaced.
    const QString log = QString::fromStdString(paths_.eventLog());
    const QString folder = QFileInfo(log).absolutePath();
    if (!logWatch_.directories().contains(folder) && QFileInfo(folder).isDir())
        logWatch_.addPath(folder);
    if (!logWatch_.files().contains(log) && QFileInfo(log).isFile())
        logWatch_.addPath(log);
}

void RecorderControls::colourReplayLabel()
{
    watchLog();
    ui_.mnuUndoClear->setEnabled(!files_.fileExists(paths_.eventLog()) &&
                                 files_.fileExists(paths_.clearedEventLog()));
    if (form_.isConnected()) {
        setTextColour(ui_.Label4, rgb(192, 64, 0));
        return;
    }
    const bool recording = files_.fileExists(paths_.eventLog());
    setTextColour(ui_.Label4, recording ? rgb(255, 0, 0) : rgb(0, 0, 128));
    ui_.tdelay->setVisible(recording);
}

bool RecorderControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_.Label4) {
        if (event->type() == QEvent::MouseMove) {
            QFont f = ui_.Label4->font();
            f.setPointSizeF(12);
            ui_.Label4->setFont(f);
            return true;  // not passed on to the frame below, which would undo it
        }
        if (isClick(watched, event))
            replay();
    } else if (event->type() == QEvent::MouseMove && (watched == ui_.lblTitle || watched == ui_.Frame1)) {
        QFont f = ui_.Label4->font();
        if (f.pointSizeF() == 12) {
            f.setPointSizeF(11);
            ui_.Label4->setFont(f);
        }
        return watched == ui_.lblTitle;
    } else if (watched == ui_.lblTitle && isClick(watched, event)) {
        clear();
    }
    return QObject::eventFilter(watched, event);
}
