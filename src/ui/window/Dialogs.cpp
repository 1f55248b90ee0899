#include "ui/window/Dialogs.h"

#include "ui/colour/frmcolor.h"
#include "ui/dialogs/Form3.h"
#include "ui/dialogs/frmAbout.h"

namespace {
// A dialog closed by its OK or by the user is unloaded, even while its
// deletion is still pending: the next use makes a new one.
// Made on first use; one closed by its OK or by the user is unloaded, even
// while its deletion is still pending, and the next use makes a new one.
template <typename Dialog, typename Make>
Dialog& opened(QPointer<Dialog>& dialog, Make make)
{
    if (dialog && dialog->isHidden()) {
        dialog->deleteLater();
        dialog = nullptr;
    }
    if (!dialog)
        dialog = make();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->raise();
    return *dialog;
}
}  // namespace

Dialogs::Dialogs(QWidget& owner, Where files, std::function<QColor()> background, Answers answers)
    : owner_(owner), files_(std::move(files)), background_(std::move(background)), answers_(std::move(answers))
{
}

Dialogs::~Dialogs()
{
    closeAll();
}

void Dialogs::closeAll()
{
    delete form2_;
    delete form3_;
    delete frmcolor_;
    delete about_;
}

Form2& Dialogs::showSettings()
{
    return opened(form2_, [&] { return new Form2(files_.files, files_.keyboardSettings, background_(), answers_.settingsApplied, &owner_); });
}

Form3& Dialogs::showInstrument()
{
    return opened(form3_, [&] { return new Form3(background_(), answers_.instrumentChosen, &owner_); });
}

frmcolor& Dialogs::showColourPicker()
{
    return opened(frmcolor_, [&] { return new frmcolor(files_.files, files_.userColours, background_(), answers_.coloursChosen, &owner_); });
}

frmAbout& Dialogs::showAbout()
{
    frmAbout& about = opened(about_, [&] { return new frmAbout(background_(), &owner_); });
    about.activateWindow();
    return about;
}

Form2* Dialogs::settings() const { return form2_; }
Form3* Dialogs::instrument() const { return form3_; }
frmcolor* Dialogs::colourPicker() const { return frmcolor_; }
frmAbout* Dialogs::about() const { return about_; }
