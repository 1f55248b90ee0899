#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box the program shows while it lives, as a user
// clicking OK would, and keeps "title|text" of each.
class MessageBoxes {
public:
    MessageBoxes()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box && box->isVisible()) {
                    shown << box->windowTitle() + QLatin1Char('|') + box->text();
                    box->accept();
                }
            }
        });
        timer_.start();
    }
    QStringList shown;

private:
    QTimer timer_;
};
