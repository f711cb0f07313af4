#include "ui/status_panel.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace orvane {

StatusPanel::StatusPanel(const QString &objectName, int width, const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setObjectName(objectName);
    setFixedSize(width, 21);
    setFrameShape(QFrame::StyledPanel);
    setContentsMargins(3, 0, 2, 0);
}

void StatusPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void StatusPanel::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_menu != nullptr) {
        m_menu->popup(event->globalPos());
        event->accept();
    }
}

} // namespace orvane
