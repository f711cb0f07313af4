#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

namespace orvane {

// The results list's row images by index: 0 on, 1 found, 2 not found, 3 pending.
QIcon rowImage(int index);

// Shows each row's image in front of its address, cuts addresses in the middle and draws the
// selection in the list's current colours.
class RowImageDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

} // namespace orvane
