#pragma once

#include "logic/colour/ColourFiles.h"
#include "logic/colour/ColourModel.h"
#include "ui/colour/ColourSurface.h"
#include "ui/colour/frmcolorControls.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class Files;

// "Customize Color": finds a colour in a hue/saturation/brightness picker or
// in a palette, takes it as the layer or the background colour, and once
// both are taken hands them over and closes.
class frmcolor : public QWidget {
    Q_OBJECT
public:
    using Commit = std::function<void(std::int32_t background, std::int32_t layer)>;

    frmcolor(Files& files, std::string userColourFile, const QColor& background, Commit commit,
             QWidget* parent = nullptr);

    enum class Mode { Hue, Saturation, Brightness };
    struct Readout {
        color::Components rgb;
        std::string hex;
    };

    const frmcolorControls& controls() const { return ui_; }
    const QImage& surface() const { return surface_.image(); }
    // The packed colour of the surface at (x, y); -1 outside it.
    std::int32_t colourAt(double x, double y) const;

    int presetMode() const { return presetMode_; }
    Mode mode() const;
    int markerX() const { return markerX_; }
    int markerY() const { return markerY_; }
    float barPos() const { return barPos_; }
    int selectedCell() const { return selectedCell_; }
    std::int32_t selectedColour() const { return selColour_; }
    std::int32_t addColour() const { return addColour_; }
    std::optional<std::int32_t> layerColour() const { return layerColour_; }
    std::optional<std::int32_t> backgroundColour() const { return backgroundColour_; }
    const ColourFiles::UserColours& userColours() const { return userColours_; }
    const std::optional<Readout>& readout() const { return readout_; }

    // Where the readout box starts: below the commit targets, where it can be seen.
    static constexpr int readoutTop = 140;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Drawing on the surface.
    void DrawPicker();
    void DrawBarArrows(float y);
    void DrawSelFrame();
    void DrawMainFrame();
    void DrawSafePicker(int cell, bool erase);
    void ShowColorReadout(const color::Components& rgb, const std::string& hex);
    void DrawSafePalette();
    void showSatBrightField(const color::Components& hue);
    void showHueSatField();
    void showHueBrightField();
    void showHueBar();
    void showBrightBar(const color::Components& c);
    void showSatBar(const color::Components& c);
    void drawCell(int cell, std::int32_t colour, QColor& fill);

    // The user's actions.
    void optHClick();
    void optSClick();
    void optBClick();
    void modeClick();
    void fieldPick(int x, int y);
    void barPick(int y);
    void typed(QLineEdit* box);
    void takeMarkerColour();
    void togglePreset();
    void listSelected(int index);
    void palettePick(int x, int y);
    void add();
    void commitClick();
    void targetClick();

    // The user colour file.
    void LoadUserColors();
    void SaveUserColors();

    double value(const QLineEdit* box) const;
    void setNumber(QLineEdit* box, int n);
    void showComponents(const color::Components& rgb);
    // Label colours take only values that name a colour.
    void setSwatch(std::int32_t colour);
    void setLabelColour(QLabel* label, std::int32_t& held, std::int32_t colour);
    void showAddControls(bool shown);

    Files& files_;
    std::string userColourFile_;
    Commit commit_;
    ColourSurface surface_;
    frmcolorControls ui_;
    QFont readoutFont_;

    int presetMode_ = 0;
    bool draggingField_ = false;
    bool draggingBar_ = false;
    const QObject* secondPressOf_ = nullptr;  // the label whose double-click is under way
    int markerX_ = color::FieldLeft;
    int markerY_ = color::FieldTop;
    float barPos_ = color::BarBottom;
    int selectedCell_ = 1;
    std::optional<std::int32_t> layerColour_;
    std::optional<std::int32_t> backgroundColour_;
    std::int32_t selColour_ = color::systemWindowColour;
    std::int32_t addColour_ = static_cast<std::int32_t>(0x8000000Fu);  // button face
    std::int32_t label2Colour_ = 255;
    ColourFiles::UserColours userColours_{};
    std::optional<Readout> readout_;
};
