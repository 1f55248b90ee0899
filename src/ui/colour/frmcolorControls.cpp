#include "ui/colour/frmcolorControls.h"

#include "ui/window/DesignLayout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

template <typename W>
W* make(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
    return w;
}

QLabel* text(QWidget* parent, const char* name, const char* caption, int left, int top, int width, int height)
{
    auto* l = make<QLabel>(parent, name, left, top, width, height);
    l->setText(QString::fromUtf8(caption));
    return l;
}

QRadioButton* option(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                     int height)
{
    auto* o = make<QRadioButton>(parent, name, left, top, width, height);
    o->setText(QString::fromLatin1(caption));
    return o;
}

QLineEdit* box(QWidget* parent, const char* name, const char* value, int left, int top)
{
    auto* b = make<QLineEdit>(parent, name, left, top, 25, 19);
    b->setText(QString::fromLatin1(value));
    // A thin border leaves room for four digits in the small box.
    b->setStyleSheet(
        QStringLiteral("QLineEdit { padding: 0px; border: 1px solid palette(mid); background: palette(base); }"));
    return b;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, int left, int top, int width, int height)
{
    auto* b = make<QPushButton>(parent, name, left, top, width, height);
    b->setText(QString::fromLatin1(caption));
    return b;
}

}  // namespace

frmcolorControls::frmcolorControls(QWidget* dialog)
{
    const QFont arial = DesignLayout::designFont("Arial", 8.25);

    Frame1 = make<QGroupBox>(dialog, "Frame1", 296, 0, 113, 83);
    lblSelColor = text(Frame1, "lblSelColor", "  Click to Select", 24, 32, 81, 37);
    lblSelColor->setFont(arial);
    lblSelColor->setAutoFillBackground(true);
    lblSelColor->setToolTip(QStringLiteral(
        "Choose a color, select whether you need it as the background or layer color then click here."));
    lblSelColor->setCursor(Qt::PointingHandCursor);
    Label2 = make<QLabel>(Frame1, "Label2", 56, 40, 8, 29);
    Label2->setAutoFillBackground(true);
    Label2->hide();

    Option1 = option(dialog, "Option1", "Layer Color", 320, 88, 97, 25);
    Option2 = option(dialog, "Option2", "Background", 320, 112, 97, 25);

    // Ends above "O&K", which it would otherwise enclose now that the buttons are shown.
    Frame2 = make<QGroupBox>(dialog, "Frame2", 426, 64, 137, 104);
    optH = option(Frame2, "optH", "H:", 0, 34, 30, 17);
    optS = option(Frame2, "optS", "S:", 0, 54, 30, 17);
    optB = option(Frame2, "optB", "B:", 0, 74, 30, 17);
    optH->setToolTip(QStringLiteral("Hue"));
    optS->setToolTip(QStringLiteral("Saturation"));
    optB->setToolTip(QStringLiteral("Brightness"));
    optH->setChecked(true);
    txtH = box(Frame2, "txtH", "0", 30, 32);
    txtS = box(Frame2, "txtS", "100", 30, 52);
    txtB = box(Frame2, "txtB", "100", 30, 72);
    for (QLineEdit* b : {txtH, txtS, txtB})
        b->setMaxLength(4);
    lblH = text(Frame2, "lblH", "°", 56, 32, 20, 17);
    lblS = text(Frame2, "lblS", "%", 56, 54, 20, 17);
    lblBB = text(Frame2, "lblBB", "%", 56, 74, 20, 17);
    for (QLabel* l : {lblH, lblS, lblBB})
        l->setFont(arial);
    lblR = text(Frame2, "lblR", "R:", 80, 34, 12, 17);
    lblG = text(Frame2, "lblG", "G:", 80, 54, 12, 17);
    lblB = text(Frame2, "lblB", "B:", 80, 74, 12, 17);
    lblR->setToolTip(QStringLiteral("Red"));
    lblG->setToolTip(QStringLiteral("Green"));
    lblB->setToolTip(QStringLiteral("Blue"));
    Text1 = box(Frame2, "Text1", "255", 92, 32);
    Text2 = box(Frame2, "Text2", "0", 92, 52);
    Text3 = box(Frame2, "Text3", "0", 92, 72);
    for (QLineEdit* b : {Text1, Text2, Text3})
        b->setReadOnly(true);

    cmbPreset = make<QComboBox>(dialog, "cmbPreset", 430, 144, 115, 21);
    cmbPreset->setPlaceholderText(QStringLiteral("Safe Colors"));
    cmbPreset->hide();

    Frame3 = make<QGroupBox>(dialog, "Frame3", 422, 204, 65, 31);
    lblADDColor = make<QLabel>(Frame3, "lblADDColor", 2, 8, 57, 23);
    lblADDColor->setAutoFillBackground(true);
    Frame3->hide();

    cmdADD = button(dialog, "cmdADD", " << Add    ", 424, 240, 57, 27);
    cmdADD->hide();
    Command1 = button(dialog, "Command1", "O&K", 490, 176, 55, 27);
    Command3 = button(dialog, "Command3", "&Preset", 490, 208, 55, 27);
    Command2 = button(dialog, "Command2", "&Cancel", 490, 240, 55, 27);
}
