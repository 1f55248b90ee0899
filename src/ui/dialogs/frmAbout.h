#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// "About velorin": the title, the version and the maker's contact line,
// whose click opens the maker's web page.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(const QColor& background, QWidget* parent = nullptr);

    // "Beta Version 1.5.3" for version 1.5.3.
    static QString versionLine(int major, int minor, int revision);

    QLabel* picIcon() const { return picIcon_; }
    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    // Opens the maker's web page in the user's browser.
    void sendmail();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* picIcon_;
    QLabel* lblTitle_;
    QLabel* lblVersion_;
    QLabel* lblDescription_;
    QPushButton* cmdOK_;
};
