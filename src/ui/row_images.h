#pragma once

#include "engine/verdict.h"

#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>

namespace orvane {

// A verdict's word is drawn on a badge of its colour: the word keeps its contrast on a white row
// and on either selection colour alike.
struct BadgeColours
{
    QColor fill;
    QColor text;
};
BadgeColours verdictColours(Verdict verdict);
// Space between a badge's edge and its word, on either side.
inline constexpr int kVerdictBadgePadding = 4;

// The results list's row images by index: 0 on, 1 found, 2 not found, 3 pending.
QIcon rowImage(int index);

// Shows each row's image in front of its address, cuts addresses in the middle, draws verdicts on
// their badges and the selection in the list's current colours.
class RowImageDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // Every cell is as tall as the one with the row's image, so that a row keeps its height
    // whichever columns are scrolled into view.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace orvane
