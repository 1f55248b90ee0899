#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// "Select Instrument": chooses the patch by its number.
class Form3 : public QWidget {
    Q_OBJECT
public:
    Form3(const QColor& background, std::function<void(int)> selectPatch, QWidget* parent = nullptr);

    QLineEdit* patchBox() const { return patch_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QLabel* image() const { return image_; }

    // Selects the patch typed, when it is 0..127, and closes.
    void ok();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(int)> selectPatch_;
    QLineEdit* patch_;
    QPushButton* cmdOK_;
    QLabel* image_;
};
