#include "ui/row_images.h"

#include "run/results_model.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace orvane {

namespace {

QPixmap drawImage(int index)
{
    QPixmap pixmap(32, 32); // drawn at twice the size, shown at 16 x 16
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(0x2f, 0x80, 0xed), QColor(0x27, 0xae, 0x60),
                              QColor(0xd6, 0x45, 0x45), QColor(0x9a, 0xa5, 0xb1)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[index]);
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    QPen mark(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    switch (index) {
    case ImageFound: {
        QPainterPath tick;
        tick.moveTo(9, 16.5);
        tick.lineTo(14, 21.5);
        tick.lineTo(23, 11);
        painter.drawPath(tick);
        break;
    }
    case ImageNotFound:
        painter.drawLine(QPointF(11, 11), QPointF(21, 21));
        painter.drawLine(QPointF(21, 11), QPointF(11, 21));
        break;
    case ImagePending:
        painter.drawLine(QPointF(16, 16), QPointF(16, 9));
        painter.drawLine(QPointF(16, 16), QPointF(21, 19));
        break;
    default:
        painter.setBrush(Qt::white);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(11, 11, 10, 10));
        break;
    }
    return pixmap;
}

} // namespace

QIcon rowImage(int index)
{
    static const std::array<QIcon, 4> images = [] {
        std::array<QIcon, 4> icons;
        for (int i = 0; i < 4; ++i) {
            icons[i] = QIcon(drawImage(i));
        }
        return icons;
    }();
    return index >= 0 && index < 4 ? images[index] : QIcon();
}

void RowImageDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == UrlColumn) {
        option->icon = rowImage(index.data(ResultsModel::ImageIndexRole).toInt());
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }
}

} // namespace orvane
