#include "ui/colour/frmcolor.h"

#include "ui/window/DesignLayout.h"
#include "logic/base/Files.h"
#include "logic/base/NumberText.h"
#include "logic/colour/ColourImages.h"
#include "logic/colour/PaletteCells.h"
#include "ui/window/SystemColour.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace color;

namespace {
constexpr int clientWidth = 570;  // wide enough for the right-hand column
constexpr int clientHeight = 275;
constexpr int readoutLeft = BarRight + 20;

void setWindowColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setBackgroundRole(QPalette::Window);
    w->setAutoFillBackground(true);
}

int roundedY(float y)
{
    return roundToInt(y);
}
}  // namespace

frmcolor::frmcolor(Files& files, std::string userColourFile, const QColor& background, Commit commit,
                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      files_(files),
      userColourFile_(std::move(userColourFile)),
      commit_(std::move(commit)),
      surface_(clientWidth, clientHeight, background),
      ui_(this),
      readoutFont_(DesignLayout::designFont("MS Sans Serif", 8.25))
{
    setObjectName(QStringLiteral("frmcolor"));
    setWindowTitle(QStringLiteral("Customize Color"));
    setFont(readoutFont_);
    setFixedSize(clientWidth, clientHeight);
    // The surface paints the whole client area; the frames and targets share its colour.
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    for (QWidget* w : {static_cast<QWidget*>(ui_.Frame1), static_cast<QWidget*>(ui_.Option1),
                       static_cast<QWidget*>(ui_.Option2)})
        setWindowColour(w, background);
    setLabelColour(ui_.lblSelColor, selColour_, selColour_);
    setLabelColour(ui_.Label2, label2Colour_, label2Colour_);
    setLabelColour(ui_.lblADDColor, addColour_, addColour_);

    for (const char* entry : {"Custom...", "Microsoft\u00ae Internet Explorer", "Netscape Navigator (TM)",
                              "Safe Palette (216)"})
        ui_.cmbPreset->addItem(QString::fromUtf8(entry));
    ui_.cmbPreset->setCurrentIndex(-1);

    showHueBar();
    barPos_ = BarBottom;
    markerX_ = FieldLeft;
    markerY_ = FieldTop;
    DrawBarArrows(barPos_);
    DrawPicker();
    showSatBrightField({255, 0, 0});
    selectedCell_ = 1;

    for (QWidget* w : {static_cast<QWidget*>(ui_.lblSelColor), static_cast<QWidget*>(ui_.lblADDColor),
                       static_cast<QWidget*>(ui_.Label2), static_cast<QWidget*>(ui_.txtH),
                       static_cast<QWidget*>(ui_.txtS), static_cast<QWidget*>(ui_.txtB)})
        w->installEventFilter(this);
    connect(ui_.optH, &QRadioButton::clicked, this, &frmcolor::optHClick);
    connect(ui_.optS, &QRadioButton::clicked, this, &frmcolor::optSClick);
    connect(ui_.optB, &QRadioButton::clicked, this, &frmcolor::optBClick);
    connect(ui_.Option1, &QRadioButton::clicked, this, &frmcolor::targetClick);
    connect(ui_.Option2, &QRadioButton::clicked, this, &frmcolor::targetClick);
    connect(ui_.Command3, &QPushButton::clicked, this, &frmcolor::togglePreset);
    connect(ui_.cmbPreset, &QComboBox::activated, this, &frmcolor::listSelected);
    connect(ui_.cmdADD, &QPushButton::clicked, this, &frmcolor::add);
    // Neither button applies anything: the swatch does.
    connect(ui_.Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_.Command2, &QPushButton::clicked, this, &QWidget::close);
}

frmcolor::Mode frmcolor::mode() const
{
    if (ui_.optS->isChecked())
        return Mode::Saturation;
    if (ui_.optB->isChecked())
        return Mode::Brightness;
    return Mode::Hue;
}

std::int32_t frmcolor::colourAt(double x, double y) const
{
    return surface_.colourAt(roundToInt(x), roundToInt(y));
}

void frmcolor::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, surface_.image());
}

// ---- drawing

void frmcolor::DrawPicker()
{
    surface_.invertCircle(markerX_, markerY_, 5);
    update();
}

void frmcolor::DrawBarArrows(float y)
{
    const int row = roundedY(y);
    surface_.invertLine(BarRight + 2, row, BarRight + 5, 2);
    surface_.invertLine(BarLeft - 2, row, BarLeft - 5, 2);
    update();
}

void frmcolor::DrawSelFrame()
{
    surface_.sunkenInnerEdge(FieldLeft - 1, FieldTop - 1, FieldRight + 3, FieldBottom + 3, palette());
    update();
}

void frmcolor::DrawMainFrame()
{
    surface_.sunkenInnerEdge(BarLeft - 1, BarTop - 1, BarRight + 1, BarBottom + 3, palette());
    update();
}

void frmcolor::DrawSafePicker(int cell, bool erase)
{
    const PaletteCells::Rect r = PaletteCells::cellRect(cell);
    if (erase)
        surface_.outline(r.left - 2, r.top - 2, r.right + 2, r.bottom + 2, 3, surface_.background());
    else
        surface_.sunkenEdge(r.left - 3, r.top - 3, r.right + 3, r.bottom + 3, palette(), true);
    update();
}

void frmcolor::ShowColorReadout(const Components& rgb, const std::string& hex)
{
    const QColor back = surface_.background();
    surface_.rectangle(readoutLeft, readoutTop, BarRight + 101, readoutTop + 51, back, back);
    int y = readoutTop;
    const QString lines[] = {QStringLiteral("R: %1").arg(rgb.r), QStringLiteral("G: %1").arg(rgb.g),
                             QStringLiteral("B: %1").arg(rgb.b),
                             QStringLiteral("Hex: #") + QString::fromStdString(hex)};
    for (const QString& line : lines)
        y += surface_.text(readoutLeft, y, line, readoutFont_, Qt::black);
    readout_ = Readout{rgb, hex};
    update();
}

void frmcolor::showSatBrightField(const Components& hue)
{
    DrawPicker();
    surface_.drawDib(DrawSatBrightField(hue.r, hue.g, hue.b), FieldLeft, FieldTop);
    DrawSelFrame();
    DrawPicker();
}

void frmcolor::showHueSatField()
{
    DrawPicker();
    surface_.drawDib(DrawHueSatField(), FieldLeft, FieldTop, true);
    DrawSelFrame();
    DrawPicker();
}

void frmcolor::showHueBrightField()
{
    DrawPicker();
    surface_.drawDib(DrawHueBrightField(), FieldLeft, FieldTop, true);
    DrawSelFrame();
    DrawPicker();
}

void frmcolor::showHueBar()
{
    surface_.drawDib(DrawHueBar(), BarLeft, BarTop);
    DrawMainFrame();
}

void frmcolor::showBrightBar(const Components& c)
{
    surface_.drawDib(DrawBrightBar(c.r, c.g, c.b), BarLeft, BarTop);
    DrawMainFrame();
}

void frmcolor::showSatBar(const Components& c)
{
    surface_.drawDib(DrawSatBar(c.r, c.g, c.b), BarLeft, BarTop);
    DrawMainFrame();
}

void frmcolor::drawCell(int cell, std::int32_t colour, QColor& fill)
{
    // A value that names no colour leaves the fill as it was.
    if (const auto c = SystemColour::shown(colour))
        fill = *c;
    const PaletteCells::Rect r = PaletteCells::cellRect(cell);
    surface_.rectangle(r.left, r.top, r.right, r.bottom, fill, Qt::black);
}

void frmcolor::DrawSafePalette()
{
    QColor fill = Qt::black;
    for (int i = 1; i <= PaletteCells::count; ++i) {
        Components rgb;
        std::string hex;
        drawCell(i, SafeColorFromIndex(i, rgb, hex), fill);
    }
    DrawSafePicker(selectedCell_, false);
}

// ---- the picker

double frmcolor::value(const QLineEdit* box) const
{
    return NumberText::fromText(box->text().toStdString());
}

void frmcolor::setNumber(QLineEdit* box, int n)
{
    box->setText(QString::number(n));
}

void frmcolor::showComponents(const Components& rgb)
{
    setNumber(ui_.Text1, rgb.r);
    setNumber(ui_.Text2, rgb.g);
    setNumber(ui_.Text3, rgb.b);
}

void frmcolor::setLabelColour(QLabel* label, std::int32_t& held, std::int32_t colour)
{
    const auto shown = SystemColour::shown(colour);
    if (!shown)
        return;
    held = colour;
    QPalette p = label->palette();
    p.setColor(QPalette::Window, *shown);
    label->setPalette(p);
}

void frmcolor::setSwatch(std::int32_t colour)
{
    setLabelColour(ui_.lblSelColor, selColour_, colour);
}

void frmcolor::modeClick()
{
    switch (mode()) {
    case Mode::Hue: optHClick(); break;
    case Mode::Saturation: optSClick(); break;
    case Mode::Brightness: optBClick(); break;
    }
}

void frmcolor::optHClick()
{
    showHueBar();
    DrawBarArrows(barPos_);
    barPos_ = static_cast<float>(hueToBarPos(value(ui_.txtH)));
    DrawBarArrows(barPos_);
    showSatBrightField(SplitRGB(colourAt(BarLeft + 3, barPos_)));
    DrawPicker();
    markerX_ = saturationToFieldX(value(ui_.txtS));
    markerY_ = brightnessToFieldY(value(ui_.txtB));
    DrawPicker();
    setSwatch(colourAt(markerX_, markerY_));
}

void frmcolor::optSClick()
{
    showHueBrightField();
    DrawPicker();
    markerX_ = hueToFieldX(value(ui_.txtH));
    markerY_ = brightnessToFieldY(value(ui_.txtB));
    DrawPicker();
    showSatBar(SplitRGB(colourAt(markerX_, markerY_)));
}

void frmcolor::optBClick()
{
    showHueSatField();
    DrawPicker();
    markerX_ = hueToFieldX(value(ui_.txtH));
    markerY_ = saturationToFieldY(value(ui_.txtS));
    DrawPicker();
    showBrightBar(SplitRGB(colourAt(markerX_, markerY_)));
}

void frmcolor::fieldPick(int x, int y)
{
    DrawPicker();
    markerX_ = x;
    markerY_ = y;
    DrawPicker();
    std::int32_t c = colourAt(x, y);
    const Components rgb = SplitRGB(c);
    const Mode m = mode();
    if (m == Mode::Saturation) {
        showSatBar(rgb);
        setNumber(ui_.txtB, fieldYToBrightness(markerY_));
        setNumber(ui_.txtH, fieldXToHue(markerX_));
    } else if (m == Mode::Brightness) {
        showBrightBar(rgb);
        setNumber(ui_.txtS, fieldYToSaturation(markerY_));
        setNumber(ui_.txtH, fieldXToHue(markerX_));
    } else {
        setNumber(ui_.txtS, fieldXToSaturation(markerX_));
        setNumber(ui_.txtB, fieldYToBrightness(markerY_));
    }
    if (m != Mode::Hue)
        c = colourAt(BarLeft + 5, barPos_);
    showComponents(SplitRGB(c));
    setSwatch(c);
}

void frmcolor::barPick(int y)
{
    DrawBarArrows(static_cast<float>(roundedY(barPos_)));
    DrawBarArrows(static_cast<float>(y));
    barPos_ = static_cast<float>(y);
    const std::int32_t c = colourAt(BarLeft + 5, barPos_);
    const Mode m = mode();
    if (m == Mode::Hue) {
        setNumber(ui_.txtH, barYToHue(y));
        setSwatch(ComposeFromHSB(roundToInt(value(ui_.txtS)), roundToInt(value(ui_.txtB)), SplitRGB(c)));
        return;
    }
    showComponents(SplitRGB(c));
    setSwatch(c);
    setNumber(m == Mode::Saturation ? ui_.txtS : ui_.txtB, barYToPercent(y));
}

void frmcolor::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int x = roundToInt(event->position().x());
    const int y = roundToInt(event->position().y());
    if (presetMode_ != 0) {
        palettePick(x, y);
        return;
    }
    if (x >= FieldLeft && x <= FieldRight && y >= FieldTop && y <= FieldBottom) {
        draggingField_ = true;
        fieldPick(x, y);
    }
    if (x >= BarLeft && x < BarRight + 11 && y >= BarTop - 2 && y < BarBottom + 3) {
        draggingBar_ = true;
        barPick(std::clamp(y, BarTop, BarBottom));
    }
}

void frmcolor::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const int x = roundToInt(event->position().x());
    const int y = roundToInt(event->position().y());
    if (presetMode_ != 0)
        palettePick(x, y);
    if (draggingField_)
        fieldPick(std::clamp(x, FieldLeft, FieldRight), std::clamp(y, FieldTop, FieldBottom));
    if (draggingBar_)
        barPick(std::clamp(y, BarTop, BarBottom));
}

void frmcolor::mouseReleaseEvent(QMouseEvent*)
{
    draggingField_ = false;
    if (draggingBar_ && mode() == Mode::Hue) {
        showSatBrightField(SplitRGB(colourAt(BarLeft + 3, roundedY(barPos_))));
        const std::int32_t c = colourAt(markerX_, markerY_);
        showComponents(SplitRGB(c));
        setSwatch(c);
    }
    draggingBar_ = false;
}

void frmcolor::takeMarkerColour()
{
    const std::int32_t c = colourAt(markerX_, markerY_);
    setSwatch(c);
    showComponents(SplitRGB(c));
}

void frmcolor::typed(QLineEdit* box)
{
    const bool hueMode = mode() == Mode::Hue;
    if (box == ui_.txtH) {
        if (value(ui_.txtH) < 0)
            ui_.txtH->setText(QStringLiteral("0"));
        if (!hueMode || draggingBar_)
            return;
        DrawBarArrows(barPos_);
        barPos_ = hueToBarPosTyping(value(ui_.txtH));
        DrawBarArrows(barPos_);
        showSatBrightField(SplitRGB(colourAt(BarLeft + 5, barPos_)));
        takeMarkerColour();
    } else if (hueMode) {
        DrawPicker();
        if (box == ui_.txtS)
            markerX_ = saturationToFieldX(value(ui_.txtS));
        else
            markerY_ = brightnessToFieldY(value(ui_.txtB));
        DrawPicker();
        takeMarkerColour();
    }
}

bool frmcolor::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == ui_.lblSelColor || watched == ui_.lblADDColor || watched == ui_.Label2) {
        // Taken here, so that the press does not reach the surface below and
        // the release comes back to the label.
        if (type == QEvent::MouseButtonPress)
            return true;
        if (type == QEvent::MouseButtonDblClick) {
            // The second press of a double-click: its release is not a click of its own.
            secondPressOf_ = watched;
            return true;
        }
        if (type == QEvent::MouseButtonRelease && secondPressOf_ == watched) {
            secondPressOf_ = nullptr;
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const auto* label = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
                if (watched == ui_.lblSelColor) {
                    commitClick();
                } else {
                    const Components rgb = SplitRGB(watched == ui_.Label2 ? label2Colour_ : addColour_);
                    ShowColorReadout(rgb, GetHexVal(rgb.r, rgb.g, rgb.b));
                }
            }
            return true;
        }
        return false;
    }
    if (type == QEvent::KeyRelease)
        typed(static_cast<QLineEdit*>(watched));
    if (type == QEvent::FocusOut && watched == ui_.txtH) {
        const double h = value(ui_.txtH);
        if (h < 0 || h > 360 || h != std::floor(h))
            QTimer::singleShot(0, ui_.txtH, [box = ui_.txtH] { box->setFocus(); });
    }
    return QWidget::eventFilter(watched, event);
}

// ---- palettes

void frmcolor::showAddControls(bool shown)
{
    ui_.cmdADD->setVisible(shown);
    ui_.lblADDColor->setVisible(shown);
    ui_.Frame3->setVisible(shown);
}

void frmcolor::togglePreset()
{
    surface_.clear();
    if (presetMode_ == 0) {
        ui_.Frame2->hide();
        presetMode_ = 1;
        LoadUserColors();
        ui_.Command3->setText(QStringLiteral("&Picker"));
        ui_.cmbPreset->show();
        ui_.cmbPreset->setCurrentIndex(0);
        listSelected(0);
        setLabelColour(ui_.lblADDColor, addColour_, selColour_);
        showAddControls(true);
        return;
    }
    ui_.cmbPreset->hide();
    ui_.Command3->setText(QStringLiteral("&Preset"));
    DrawPicker();
    modeClick();
    DrawBarArrows(static_cast<float>(roundedY(barPos_)));
    presetMode_ = 0;
    ui_.Frame2->show();
    showAddControls(false);
}

void frmcolor::listSelected(int index)
{
    surface_.clear();
    update();
    switch (index) {
    case 0:
        LoadUserColors();
        showAddControls(true);
        presetMode_ = 1;
        break;
    case 1:
    case 2:
        // The browser palettes have no colours of their own: the grid stays empty.
        showAddControls(false);
        presetMode_ = index + 1;
        break;
    default:
        DrawSafePalette();
        showAddControls(false);
        presetMode_ = 4;
        break;
    }
}

void frmcolor::palettePick(int x, int y)
{
    const int cell = PaletteCells::cellAt(x, y);
    if (cell == 0)
        return;
    DrawSafePicker(selectedCell_, true);
    DrawSafePicker(cell, false);
    selectedCell_ = cell;
    Components rgb;
    std::string hex;
    if (presetMode_ == 1) {
        const std::int32_t c = userColours_[static_cast<std::size_t>(cell)];
        setSwatch(c);
        rgb = SplitRGB(c);
        hex = GetHexVal(rgb.r, rgb.g, rgb.b);
    } else if (presetMode_ == 4) {
        setSwatch(SafeColorFromIndex(cell, rgb, hex));
    }
    ShowColorReadout(rgb, hex);
}

void frmcolor::add()
{
    userColours_[static_cast<std::size_t>(selectedCell_)] = addColour_;
    DrawSafePicker(selectedCell_, true);
    QColor fill = Qt::black;
    drawCell(selectedCell_, addColour_, fill);
    SaveUserColors();
    DrawSafePicker(selectedCell_, false);
}

void frmcolor::LoadUserColors()
{
    userColours_ = ColourFiles::parseUserColours(files_.read(userColourFile_));
    surface_.clear();
    QColor fill = Qt::black;
    for (int i = 1; i <= PaletteCells::count; ++i)
        drawCell(i, userColours_[static_cast<std::size_t>(i)], fill);
    DrawSafePicker(selectedCell_, false);
}

void frmcolor::SaveUserColors()
{
    // Replaced in one step: a failed write leaves the old palette whole.
    files_.writeAtomically(userColourFile_, ColourFiles::serializeUserColours(userColours_));
}

// ---- commit

void frmcolor::targetClick()
{
    ui_.lblSelColor->setText(QStringLiteral("  Click to Select"));
}

void frmcolor::commitClick()
{
    const std::int32_t c = selColour_;
    ui_.lblSelColor->setText(QStringLiteral("  Save"));
    if (ui_.Option1->isEnabled() || ui_.Option2->isEnabled()) {
        if (ui_.Option1->isChecked()) {
            ui_.Option1->setEnabled(false);
            layerColour_ = c;
        } else if (ui_.Option2->isChecked()) {
            ui_.Option2->setEnabled(false);
            backgroundColour_ = c;
        }
        return;
    }
    if (commit_ && backgroundColour_ && layerColour_)
        commit_(*backgroundColour_, *layerColour_);
    close();
}
