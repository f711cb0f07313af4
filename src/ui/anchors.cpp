#include "ui/anchors.h"

#include <QEvent>
#include <QWidget>

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

void Anchors::apply(const Placed &placed, QSize size) const
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
    placed.widget->setGeometry(rect);
}

} // namespace orvane
