#include "ui/link_label.h"

#include <QMouseEvent>

namespace orvane {

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
