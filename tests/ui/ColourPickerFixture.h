#pragma once

#include "logic/colour/ColourImages.h"
#include "ui/colour/frmcolor.h"
#include "support/Form1Fixture.h"

#include <QPoint>

#include <set>

// The colour picker opened from the main window's menu, driven by mouse and
// key events sent to the dialog.
class ColourPicker : public Form1Test {
protected:
    frmcolor& open();

    static void press(QWidget* w, int x, int y);
    static void move(QWidget* w, int x, int y);
    static void release(QWidget* w, int x, int y);
    static void click(QWidget* w, int x, int y);
    static void clickWidget(QWidget* w);
    // Replaces a box's text by typing it, as the user does.
    static void type(QLineEdit* box, const QString& text);

    static color::Components at(const frmcolor& d, int x, int y);
    // Field pixels that differ from the image: they must be the marker ring,
    // inverted, around (markerX, markerY).
    static void expectFieldShows(const frmcolor& d, const color::Dib& image, bool mirrored);
    static void expectBarShows(const frmcolor& d, const color::Dib& image);
    // Rows where the bar ticks invert the background, left and right of the bar.
    static std::set<int> tickRows(const frmcolor& d);
    // The centre of palette cell i.
    static QPoint cellCentre(int cell);
};
