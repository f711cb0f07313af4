#include "ui/anchors.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace orvane {

Anchors::Anchors(QWidget *container, QSize designSize)
    : QObject(container), m_container(container), m_designSize(designSize)
{
    container->installEventFilter(this);
}

void Anchors::place(QWidget *child, QRect designRect, int edges)
{
    m_placed.push_back({child, designRect, edges});
    apply(m_placed.back(), m_container->size());
}

bool Anchors::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_container && event->type() == QEvent::Resize) {
        for (const Placed &placed : m_placed) {
            apply(placed, m_container->size());
        }
    }
    return QObject::eventFilter(watched, event);
}

QRect Anchors::rectAt(const Placed &placed, QSize size) const
{
    const int dx = size.width() - m_designSize.width();
    const int dy = size.height() - m_designSize.height();
    QRect rect = placed.designRect;
    if ((placed.edges & Right) != 0) {
        if ((placed.edges & Left) != 0) {
            rect.setWidth(rect.width() + dx);
        } else {
            rect.translate(dx, 0);
        }
    }
    if ((placed.edges & Bottom) != 0) {
        if ((placed.edges & Top) != 0) {
            rect.setHeight(rect.height() + dy);
        } else {
            rect.translate(0, dy);
        }
    }
    return rect;
}

bool Anchors::keepsApart(QSize size) const
{
    for (std::size_t i = 0; i < m_placed.size(); ++i) {
        const Placed &placed = m_placed[i];
        const QRect rect = rectAt(placed, size);
        const QSize smallest = placed.widget->minimumSizeHint().expandedTo(QSize(1, 1));
        if (rect.left() < 0 || rect.top() < 0 ||
            rect.width() < std::min(smallest.width(), placed.designRect.width()) ||
            rect.height() < std::min(smallest.height(), placed.designRect.height())) {
            return false;
        }
        for (std::size_t j = i + 1; j < m_placed.size(); ++j) {
            const Placed &other = m_placed[j];
            if (rect.intersects(rectAt(other, size)) &&
                !placed.designRect.intersects(other.designRect)) {
                return false;
            }
        }
    }
    return true;
}

QSize Anchors::minimumSize() const
{
    int width = m_designSize.width();
    while (width > 1 && keepsApart(QSize(width - 1, m_designSize.height()))) {
        --width;
    }
    int height = m_designSize.height();
    while (height > 1 && keepsApart(QSize(width, height - 1))) {
        --height;
    }
    return {width, height};
}

void Anchors::apply(const Placed &placed, QSize size) const
{
    placed.widget->setGeometry(rectAt(placed, size));
}

} // namespace orvane
