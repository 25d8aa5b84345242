#include "menustyle.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace vandrel::ui {

namespace {
const QColor kFrame(0x80, 0x80, 0x80);
const QColor kHighlight(0xC0, 0xC0, 0xC0);

QPixmap makeStrip()
{
    QPixmap pm(25, 8);
    QPainter p(&pm);
    QLinearGradient g(0, 0, pm.width(), 0);
    g.setColorAt(0, QColor(0x2A, 0x4D, 0x8F));
    g.setColorAt(1, QColor(0xB8, 0xC8, 0xE8));
    p.fillRect(pm.rect(), g);
    return pm;
}

QPixmap makeSeparator()
{
    QPixmap pm(4, 4);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(QColor(0x90, 0x90, 0x90));
    p.drawPoint(0, 1);
    p.drawPoint(2, 1);
    return pm;
}
} // namespace

MenuStyle::MenuStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))),
    m_image1(makeStrip()), m_image2(makeSeparator())
{
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                  const QWidget *widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_MenuItem)
        s.setWidth(ItemWidth);
    if (type == CT_MenuBarItem) {
        // Bold when selected: leave room for it so the bar does not shift.
        if (const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option)) {
            QFont bold = item->font;
            bold.setBold(true);
            s.setWidth(QFontMetrics(bold).horizontalAdvance(QString(item->text).remove(QLatin1Char('&'))) + 14);
        }
    }
    return s;
}

void MenuStyle::drawMenuText(const QStyleOptionMenuItem *item, QPainter *painter, int x) const
{
    QFont f = item->font;
    const bool selected = item->state & State_Selected;
    f.setBold(selected);
    painter->setFont(f);
    painter->setPen(item->state & State_Enabled ? Qt::black : Qt::gray);
    QString text = item->text;
    QString shortcut;
    if (const qsizetype tab = text.indexOf(QLatin1Char('\t')); tab >= 0) {
        shortcut = text.mid(tab + 1);
        text = text.left(tab);
    }
    const QRect r = item->rect.adjusted(x, 2, -6, 0);
    painter->drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text);
    if (!shortcut.isEmpty())
        painter->drawText(r, Qt::AlignRight | Qt::AlignTop, shortcut);
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (!item || (element != CE_MenuItem && element != CE_MenuBarItem)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    painter->save();
    const QRect r = item->rect;
    const bool selected = (item->state & State_Selected) && (item->state & State_Enabled);
    if (element == CE_MenuBarItem) {
        if (selected) {
            painter->setPen(kFrame);
            painter->setBrush(kHighlight);
            painter->drawRect(r.adjusted(0, 0, -1, -1));
        } else {
            painter->fillRect(r, Qt::white);
        }
        drawMenuText(item, painter, 5);
        painter->restore();
        return;
    }
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        painter->fillRect(r, QBrush(m_image2));
    } else if (selected) {
        painter->setPen(kFrame);
        painter->setBrush(kHighlight);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        drawMenuText(item, painter, m_image1.width() + 5);
    } else {
        painter->fillRect(r, Qt::white);
        painter->fillRect(QRect(r.left(), r.top(), m_image1.width() - 5, r.height()), QBrush(m_image1));
        drawMenuText(item, painter, m_image1.width() + 5);
    }
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption arrow = *option;
        arrow.rect = QRect(r.right() - 14, r.top() + (r.height() - 9) / 2, 9, 9);
        QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
        QStyleOption check = *option;
        check.rect = QRect(r.left() + 4, r.top() + (r.height() - 12) / 2, 12, 12);
        QProxyStyle::drawPrimitive(PE_IndicatorMenuCheckMark, &check, painter, widget);
    }
    painter->restore();
}

} // namespace vandrel::ui
