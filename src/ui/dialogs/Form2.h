#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class Files;
class QLineEdit;
class QPushButton;

// " Velorin Settings": edits the six-line keyboard settings file.
class Form2 : public QWidget {
    Q_OBJECT
public:
    // What OK hands to the running program: base note, tempo and multiplier.
    struct Applied {
        std::int16_t baseNote;
        std::int16_t tempo;
        std::string times;
    };

    Form2(Files& files, std::string settingsFile, const QColor& background,
          std::function<void(const Applied&)> apply, QWidget* parent = nullptr);

    // cxnl, octx, delx, minx, maxx, defx: the six lines in file order.
    const std::array<QLineEdit*, 6>& boxes() const { return boxes_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    // Checks the six boxes; writes the file and closes when all are numbers.
    void ok();

private:
    Files& files_;
    std::string settingsFile_;
    std::function<void(const Applied&)> apply_;
    std::array<QLineEdit*, 6> boxes_{};
    QPushButton* cmdOK_;
};
