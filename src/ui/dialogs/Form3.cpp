#include "ui/dialogs/Form3.h"

#include "ui/window/DesignLayout.h"
#include "logic/base/NumberText.h"
#include "logic/base/Rgb.h"
#include "ui/dialogs/InstrumentPicture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DesignLayout;

Form3::Form3(const QColor& background, std::function<void(int)> selectPatch, QWidget* parent)
    : QWidget(parent, Qt::Window), selectPatch_(std::move(selectPatch))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Select Instrument"));
    setClientSize(this, 11490, 5775);
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    setAutoFillBackground(true);

    const QFont trebuchet = designFont("Trebuchet MS", 9);
    label(this, "lbl2", "Instrument:", 120, 120, 1005, 225, trebuchet);

    patch_ = new QLineEdit(this);
    patch_->setObjectName(QStringLiteral("patch"));
    patch_->setMaxLength(3);
    place(patch_, 1200, 120, 1095, 285);
    setButtonColour(patch_, rgb(247, 247, 247));
    patch_->installEventFilter(this);

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    place(cmdOK_, 2400, 80, 780, 345);
    cmdOK_->setFont(designFont("Trebuchet MS", 8.25));
    setButtonColour(cmdOK_, rgb(255, 255, 192));
    connect(cmdOK_, &QPushButton::clicked, this, &Form3::ok);

    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("Image1"));
    place(image_, 0, 840, 11565, 4875);
    image_->setPixmap(instrumentPicture(image_->size()));
}

void Form3::ok()
{
    const double v = NumberText::fromText(patch_->text().toStdString());
    if (v < 0 || v > 127)
        return;
    close();
    if (selectPatch_)
        selectPatch_(static_cast<int>(NumberText::roundHalfEven(v)));
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == patch_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ok();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
