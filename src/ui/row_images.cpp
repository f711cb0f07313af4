#include "ui/row_images.h"

#include "run/results_model.h"
#include "ui/results_list_view.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtMath>
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

BadgeColours verdictColours(Verdict verdict)
{
    // Each word is at least 4.5 times as light or dark as its badge (the WCAG ratio for text).
    switch (verdict) {
    case Verdict::Live:
        return {QColor(0x1b, 0x7f, 0x3a), Qt::white};
    case Verdict::Weak:
        return {QColor(0xf2, 0xb7, 0x05), QColor(0x1a, 0x1a, 0x1a)};
    case Verdict::Lost:
        return {QColor(0xc6, 0x28, 0x28), Qt::white};
    case Verdict::Unverified:
        return {QColor(0x6b, 0x6b, 0x6b), Qt::white};
    case Verdict::None:
        break;
    }
    return {};
}

void RowImageDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const auto verdict = static_cast<Verdict>(index.data(ResultsModel::VerdictRole).toInt());
    if (index.column() != VerdictColumn || verdict == Verdict::None) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString word = cell.text;
    cell.text.clear();
    const QWidget *widget = cell.widget;
    const QStyle *style = widget != nullptr ? widget->style() : QApplication::style();
    // The row's background, selection and focus as for any cell, then the badge on top.
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    painter->save();
    painter->setFont(cell.font);
    // Measured as the painter draws (fractional advances), so that no word is cut needlessly.
    const QFontMetricsF metrics(painter->font(), painter->device());
    const int width = std::min(area.width() - 2,
                               qCeil(metrics.horizontalAdvance(word)) + 2 * kVerdictBadgePadding);
    const int height = std::min(area.height(), qCeil(metrics.height()));
    if (width > 0 && height > 0) {
        const QRect badge(area.left() + 1, area.top() + (area.height() - height) / 2, width,
                          height);
        const BadgeColours colours = verdictColours(verdict);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colours.fill);
        painter->drawRoundedRect(badge, 3, 3);
        painter->setPen(colours.text);
        const QRect wordArea = badge.adjusted(kVerdictBadgePadding, 0, -kVerdictBadgePadding, 0);
        painter->drawText(wordArea, Qt::AlignCenter,
                          metrics.elidedText(word, Qt::ElideRight, wordArea.width()));
    }
    painter->restore();
}

QSize RowImageDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (index.column() != UrlColumn) {
        const QModelIndex withImage = index.siblingAtColumn(UrlColumn);
        size.setHeight(
            std::max(size.height(), QStyledItemDelegate::sizeHint(option, withImage).height()));
    }
    return size;
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
