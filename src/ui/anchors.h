#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace orvane {

// Keeps children at their designed place as their container is resized: a child follows the
// edges it is anchored to (anchored left and right it stretches; right only, it moves).
class Anchors : public QObject
{
    Q_OBJECT
public:
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };

    // `container` has the designed size `designSize`; children are placed by place().
    Anchors(QWidget *container, QSize designSize);

    // Puts `child` at `designRect` (in the designed container) and keeps it anchored to `edges`.
    void place(QWidget *child, QRect designRect, int edges = Left | Top);

    // The smallest container size at which the children keep apart: none overlaps another that
    // it did not overlap as designed, none leaves the container's top or left, and none that
    // stretches gets smaller than its minimum size hint.
    QSize minimumSize() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Placed
    {
        QWidget *widget;
        QRect designRect;
        int edges;
    };
    QRect rectAt(const Placed &placed, QSize size) const;
    bool keepsApart(QSize size) const;
    void apply(const Placed &placed, QSize size) const;

    QWidget *m_container;
    QSize m_designSize;
    std::vector<Placed> m_placed;
};

} // namespace orvane
