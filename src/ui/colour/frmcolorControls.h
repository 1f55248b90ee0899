#pragma once

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The controls of the colour picker at their places, in pixels.
struct frmcolorControls {
    explicit frmcolorControls(QWidget* dialog);

    QGroupBox* Frame1;
    QLabel* lblSelColor;  // the swatch: a click commits
    QLabel* Label2;
    QRadioButton* Option1;  // "Layer Color"
    QRadioButton* Option2;  // "Background"
    QGroupBox* Frame2;
    QRadioButton* optH;
    QRadioButton* optS;
    QRadioButton* optB;
    QLineEdit* txtH;
    QLineEdit* txtS;
    QLineEdit* txtB;
    QLabel* lblH;
    QLabel* lblS;
    QLabel* lblBB;
    QLabel* lblR;
    QLabel* lblG;
    QLabel* lblB;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QComboBox* cmbPreset;
    QGroupBox* Frame3;
    QLabel* lblADDColor;
    QPushButton* cmdADD;
    QPushButton* Command1;  // "O&K"
    QPushButton* Command3;  // "&Preset" / "&Picker"
    QPushButton* Command2;  // "&Cancel"
};
