#include "appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vandrel::ui {

QIcon appIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal w = size * 0.56, h = size * 0.9;
        const QRectF body((size - w) / 2, (size - h) / 2, w, h);
        QPainterPath path;
        path.addRoundedRect(body, size * 0.1, size * 0.1);
        p.fillPath(path, QColor(0x2A, 0x4D, 0x8F));
        p.fillRect(body.adjusted(size * 0.07, size * 0.1, -size * 0.07, -size * 0.35), QColor(0xB8, 0xE0, 0xF8));
        p.setBrush(QColor(0xF0, 0xA0, 0x30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(size / 2.0, body.bottom() - size * 0.16), size * 0.08, size * 0.08);
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace vandrel::ui
