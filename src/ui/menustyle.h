#pragma once
// The program's menu look: 150-pixel items, a patterned strip on the left, patterned
// separators, a grey framed highlight with bold text.
#include <QPixmap>
#include <QProxyStyle>

class QStyleOptionMenuItem;

namespace vandrel::ui {

class MenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    MenuStyle();

    static constexpr int ItemWidth = 150;

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;

    const QPixmap &image1() const { return m_image1; }
    const QPixmap &image2() const { return m_image2; }

private:
    void drawMenuText(const QStyleOptionMenuItem *item, QPainter *painter, int x) const;

    QPixmap m_image1; // left strip pattern
    QPixmap m_image2; // separator pattern
};

} // namespace vandrel::ui
