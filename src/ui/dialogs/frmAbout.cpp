#include "ui/dialogs/frmAbout.h"

#include "ui/window/DesignLayout.h"
#include "logic/base/Maker.h"
#include "logic/base/Rgb.h"
#include "logic/base/Twips.h"
#include "logic/base/Version.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

using namespace DesignLayout;

namespace {
// Velorin's picture: an eighth note over a few piano keys on a plum tile,
// the same drawing as the desktop icon.
QPixmap iconPicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 0, 64));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    p.setBrush(QColor(255, 255, 255));
    for (int k = 0; k < 4; ++k)
        p.drawRect(QRectF(9 + k * 11.75, 34, 10.5, 22));
    p.setBrush(QColor(32, 0, 32));
    for (int k = 1; k < 4; ++k)
        p.drawRect(QRectF(9 + k * 11.75 - 4, 34, 6.5, 13));

    p.setBrush(QColor(255, 255, 192));
    p.drawEllipse(QRectF(18, 20, 11, 8));
    p.drawRect(QRectF(27, 6, 2.5, 18));
    QPainterPath flag;
    flag.moveTo(29.5, 6);
    flag.cubicTo(34, 9, 40, 11, 37, 20);
    flag.cubicTo(37, 14, 33, 12, 29.5, 12);
    flag.closeSubpath();
    p.drawPath(flag);
    return pixmap;
}
}  // namespace

QString frmAbout::versionLine(int major, int minor, int revision)
{
    return QStringLiteral("Beta Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(const QColor& background, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About velorin"));
    setClientSize(this, 6255, 2535);
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    setAutoFillBackground(true);

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    place(picIcon_, 240, 240, 960, 960);
    picIcon_->setPixmap(iconPicture(px(960)));
    picIcon_->setPalette(p);
    picIcon_->setAutoFillBackground(true);

    lblTitle_ = label(this, "lblTitle", "velorin", 1440, 180, 4575, 510, designFont("Comic Sans MS", 15.75, true));
    setTextColour(lblTitle_, rgb(128, 0, 0));

    lblVersion_ = label(this, "lblVersion", "", 1440, 720, 4575, 285, designFont("Trebuchet MS", 9, true));
    lblVersion_->setText(versionLine(Version::majorNumber, Version::minorNumber, Version::revision));

    lblDescription_ = label(this, "lblDescription", "", 1440, 1140, 4575, 765, designFont("Trebuchet MS", 8.25));
    lblDescription_->setText(QStringLiteral("For help and news write to %1 or visit %2")
                                 .arg(QString::fromLatin1(Maker::supportEmail), QString::fromLatin1(Maker::webPage)));
    lblDescription_->setWordWrap(true);
    lblDescription_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(lblDescription_, rgb(64, 64, 64));
    lblDescription_->setCursor(Qt::PointingHandCursor);
    lblDescription_->installEventFilter(this);

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    place(cmdOK_, 4920, 1980, 1095, 375);
    cmdOK_->setFont(designFont("Trebuchet MS", 8.25));
    setButtonColour(cmdOK_, rgb(255, 255, 192));
    connect(cmdOK_, &QPushButton::clicked, this, &QWidget::close);
}

void frmAbout::sendmail()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(Maker::webPage)));
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblDescription_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        lblDescription_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
        sendmail();
    return QWidget::eventFilter(watched, event);
}
