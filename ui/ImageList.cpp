#include "ui/ImageList.h"

#include <QPainter>
#include <QRadialGradient>

namespace kelvane {
namespace {

QPixmap Lamp(int size, const QColor& lit, const QColor& rim) {
    QPixmap image(size, size);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(size * 0.38, size * 0.35), size * 0.6);
    glow.setColorAt(0.0, lit.lighter(170));
    glow.setColorAt(0.45, lit);
    glow.setColorAt(1.0, lit.darker(170));
    painter.setBrush(glow);
    painter.setPen(QPen(rim, 1.0));
    painter.drawEllipse(QRectF(1.5, 1.5, size - 3.0, size - 3.0));
    return image;
}

}  // namespace

QPixmap ImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return {};
    return Images[index];
}

void ImageList::Draw(QPainter& painter, const QPoint& topLeft, int index) const {
    if (index < 0 || index >= Count()) return;
    painter.drawPixmap(topLeft, Images[index]);
}

ImageList ImageList::LinkLamps() {
    ImageList lamps(16, 16);
    lamps.Add(Lamp(16, QColor(0x1C, 0xC4, 0x2A), QColor(0x0A, 0x4A, 0x10)));
    lamps.Add(Lamp(16, QColor(0xE0, 0x22, 0x1A), QColor(0x5A, 0x0A, 0x06)));
    return lamps;
}

}  // namespace kelvane
