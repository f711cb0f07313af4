#include "ui/link_label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace orvane {

void LinkLabel::setPicture(const QString &svgFile, QSize size)
{
    QSvgRenderer picture(svgFile);
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    picture.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    setPixmap(pixmap);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace orvane
