#pragma once

#include <QLabel>

class QMenu;

namespace orvane {

// A fixed-width text panel of the status bar. A left click emits clicked(); a right click opens
// its popup menu, if it has one, at the pointer.
class StatusPanel : public QLabel
{
    Q_OBJECT
public:
    StatusPanel(const QString &objectName, int width, const QString &text,
                QWidget *parent = nullptr);
    void setPopupMenu(QMenu *menu) { m_menu = menu; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QMenu *m_menu = nullptr;
};

} // namespace orvane
