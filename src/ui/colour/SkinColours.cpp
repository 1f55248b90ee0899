#include "ui/colour/SkinColours.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "ui/window/Form1Controls.h"
#include "logic/colour/ColourFiles.h"
#include "ui/window/SystemColour.h"

#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace {
void setRole(QWidget* w, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

void setBackground(QWidget* w, const QColor& colour)
{
    setRole(w, QPalette::Window, colour);
    w->setAutoFillBackground(true);
}
}  // namespace

SkinColours::SkinColours(const Form1Controls& ui, Files& files, const AppPaths& paths)
    : ui_(ui), files_(files), paths_(paths)
{
}

void SkinColours::applyBackground(std::int32_t colour)
{
    // A value that names no colour leaves the window as it was.
    if (const auto c = SystemColour::shown(colour)) {
        setBackground(ui_.client, *c);
        setBackground(ui_.Frame1, *c);
    }
}

void SkinColours::applyLayer(std::int32_t colour)
{
    if (const auto c = SystemColour::shown(colour))
        setBackground(ui_.Shape1, *c);
}

void SkinColours::applyStartUp()
{
    const std::string file = paths_.skinFile();
    if (!files_.fileExists(file))
        return;
    // A file that cannot be read is taken as no file: the built-in colours stay.
    const auto text = files_.read(file);
    if (!text)
        return;
    const ColourFiles::Skin skin = ColourFiles::parseSkin(*text);
    backgroundText_ = skin.backgroundText;
    if (skin.background)
        applyBackground(*skin.background);
    if (skin.layer)
        applyLayer(*skin.layer);
    const QColor window = ui_.client->palette().color(QPalette::Window);
    setBackground(ui_.Frame1, window);
    setRole(ui_.txtRx, QPalette::Base, window);
    setRole(ui_.txtSend, QPalette::Base, window);
}

void SkinColours::commit(std::int32_t background, std::int32_t layer)
{
    applyBackground(background);
    applyLayer(layer);
    // Replaced in one step: a crash while writing never leaves half a skin.
    files_.writeAtomically(paths_.skinFile(), ColourFiles::serializeSkin(background, layer));
}
