#pragma once

#include <QAbstractButton>

// One on-screen piano key. Its look (pressed or released, colours) is set
// from outside only; clicking it does not toggle anything by itself.
class PianoKey : public QAbstractButton {
    Q_OBJECT
public:
    PianoKey(int index, QWidget* parent);

    int index() const { return index_; }

    bool shownPressed() const { return shownPressed_; }
    void setShownPressed(bool pressed);
    void setBackground(const QColor& colour);
    void setTextColour(const QColor& colour);
    QColor background() const { return background_; }
    QColor textColour() const { return text_; }

signals:
    void mouseDown(int index);
    void mouseUp(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    int index_;
    bool shownPressed_ = false;
    QColor background_;
    QColor text_;
};
