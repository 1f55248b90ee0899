#include "ui/window/DesignLayout.h"

#include "ui/window/QtColour.h"
#include "logic/base/Twips.h"

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

namespace DesignLayout {

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(px(left), px(top), px(width), px(height));
}

void setClientSize(QWidget* w, int width, int height)
{
    w->setFixedSize(px(width), px(height));
}

QFont designFont(const char* family, double points, bool bold)
{
    // By the family it stands for: the names that share a face then share
    // one loaded font, not one each.
    QFont f(QFont::substitute(QString::fromLatin1(family)));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void setTextColour(QWidget* w, std::int32_t colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, qColour(colour));
    p.setColor(QPalette::Text, qColour(colour));
    w->setPalette(p);
}

void setBackground(QWidget* w, std::int32_t colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, qColour(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setButtonColour(QWidget* w, std::int32_t colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Button, qColour(colour));
    p.setColor(QPalette::Base, qColour(colour));
    w->setPalette(p);
}

QLabel* label(QWidget* parent, const char* name, const char* text, int left, int top, int width, int height,
              const QFont& font)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    place(l, left, top, width, height);
    l->setFont(font);
    return l;
}

void fitWrappedText(QLabel* l, const QString& text, const QFont& font, double smallestPoints)
{
    constexpr double step = 0.25;
    QFont f = font;
    for (double points = font.pointSizeF(); points >= smallestPoints; points -= step) {
        f.setPointSizeF(points);
        const QRect needed =
            QFontMetrics(f).boundingRect(l->contentsRect(), Qt::TextWordWrap | int(l->alignment()), text);
        if (needed.width() <= l->contentsRect().width() && needed.height() <= l->contentsRect().height())
            break;
    }
    l->setFont(f);
    l->setText(text);
    l->setToolTip(text);
}

}  // namespace DesignLayout
