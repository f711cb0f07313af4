#include "ui/row_images.h"

#include "run/results_model.h"
#include "ui/results_list_view.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

namespace orvane {

namespace {

QIcon drawImage(const QString &resource)
{
    QSvgRenderer picture(resource);
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        picture.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon rowImage(int index)
{
    static const std::array<QIcon, 4> images = {
        drawImage(QStringLiteral(":/orvane/row_on.svg")),
        drawImage(QStringLiteral(":/orvane/row_ok.svg")),
        drawImage(QStringLiteral(":/orvane/row_fail.svg")),
        drawImage(QStringLiteral(":/orvane/row_working.svg")),
    };
    return index >= 0 && index < 4 ? images[static_cast<std::size_t>(index)] : QIcon();
}

void RowImageDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The distinguishing end of an address is its path: cut it in the middle.
    const bool isAddress = index.column() == UrlColumn || index.column() == UrlFoundColumn ||
                           index.column() == RedirectedToColumn;
    option->textElideMode = isAddress ? Qt::ElideMiddle : Qt::ElideRight;
    if (const auto *view = qobject_cast<const ResultsListView *>(option->widget)) {
        option->palette.setColor(QPalette::Highlight, view->selectionBackground());
        option->palette.setColor(QPalette::HighlightedText, view->selectionText());
    }
    if (index.column() == UrlColumn) {
        option->icon = rowImage(index.data(ResultsModel::ImageIndexRole).toInt());
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }
}

} // namespace orvane
