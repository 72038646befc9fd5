#include "ui/CAppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage CAppIcon::Paint(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0); // the design is drawn on a 128-unit square
    painter.setPen(Qt::NoPen);

    QLinearGradient back(0, 8, 0, 120);
    back.setColorAt(0, QColor(0x2b, 0x8f, 0xd6));
    back.setColorAt(1, QColor(0x16, 0x4a, 0x7a));
    painter.setBrush(back);
    painter.drawRoundedRect(QRectF(8, 8, 112, 112), 24, 24);

    painter.setBrush(QColor(0x9f, 0xd3, 0xff));
    for (const QRectF &bar : {QRectF(20, 98, 6, 10), QRectF(30, 90, 6, 18), QRectF(92, 86, 6, 22),
                              QRectF(102, 94, 6, 14)})
        painter.drawRoundedRect(bar, 3, 3);

    painter.setBrush(Qt::white);
    painter.save();
    painter.translate(56, 86);
    painter.rotate(-20);
    painter.drawEllipse(QPointF(0, 0), 17, 12);
    painter.restore();
    painter.drawRect(QRectF(66, 26, 7, 60));
    QPainterPath flag;
    flag.moveTo(73, 26);
    flag.cubicTo(86, 32, 97, 42, 92, 62);
    flag.cubicTo(89, 52, 82, 47, 73, 45);
    flag.closeSubpath();
    painter.drawPath(flag);
    return image;
}

QIcon CAppIcon::Icon()
{
    QIcon icon = QIcon::fromTheme(QStringLiteral("melvane"));
    if (!icon.isNull())
        return icon;
    for (int size : {16, 32, 48, 128})
        icon.addPixmap(QPixmap::fromImage(Paint(size)));
    return icon;
}
