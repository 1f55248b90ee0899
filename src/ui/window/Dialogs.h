#pragma once

#include "ui/dialogs/Form2.h"

#include <QColor>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>

class Files;
class Form3;
class QWidget;
class frmAbout;
class frmcolor;

// The main window's dialogs, each made on first use and shown again after
// that; one closed by its OK or by the user is made anew the next time.
class Dialogs {
public:
    struct Where {
        Files& files;
        std::string keyboardSettings;  // Form2's file
        std::string userColours;       // the colour picker's
    };
    struct Answers {
        std::function<void(const Form2::Applied&)> settingsApplied;
        std::function<void(int patch)> instrumentChosen;
        std::function<void(std::int32_t background, std::int32_t layer)> coloursChosen;
    };

    // The dialogs take their background from `background` when they are made.
    Dialogs(QWidget& owner, Where files, std::function<QColor()> background, Answers answers);
    ~Dialogs();

    Form2& showSettings();
    Form3& showInstrument();
    // Modeless.
    frmcolor& showColourPicker();
    // Brought forward when it shows already.
    frmAbout& showAbout();

    Form2* settings() const;
    Form3* instrument() const;
    frmcolor* colourPicker() const;
    frmAbout* about() const;

    // The window unloads: every dialog goes with it.
    void closeAll();

private:
    QWidget& owner_;
    Where files_;
    std::function<QColor()> background_;
    Answers answers_;
    QPointer<Form2> form2_;
    QPointer<Form3> form3_;
    QPointer<frmcolor> frmcolor_;
    QPointer<frmAbout> about_;
};
