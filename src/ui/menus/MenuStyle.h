#pragma once

#include <QProxyStyle>

class QAction;
class QMenu;
class cMenus;

// Hands the measuring and painting of menu items and menu-bar items to the
// menu engine; everything else is the application's own style.
class MenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit MenuStyle(cMenus& engine);

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;

private:
    QAction* actionFor(const QStyleOption* option, const QWidget* widget) const;

    cMenus& engine_;
};
