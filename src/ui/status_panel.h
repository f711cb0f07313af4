#pragma once

#include <QLabel>

class QMenu;

namespace orvane {

// A text panel of the status bar, 21 pixels high, of its designed width, or wider when its text
// needs it: a cut number in a status panel is a wrong number. A left click emits clicked(); a
// right click opens its popup menu, if it has one, at the pointer.
class StatusPanel : public QLabel
{
    Q_OBJECT
public:
    StatusPanel(const QString &objectName, int width, const QString &text,
                QWidget *parent = nullptr);
    void setPopupMenu(QMenu *menu) { m_menu = menu; }

    void setText(const QString &text);
    int designedWidth() const { return m_designedWidth; }
    // The width the panel takes to show `text` whole.
    int widthFor(const QString &text) const;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitText();

    int m_designedWidth;
    QMenu *m_menu = nullptr;
};

// Lays out a status bar: its panels side by side from the left edge at their widths, with no
// gaps, and the link at the right edge, but never over the panels. A window narrower than the
// panels cuts them at its edge.
class StatusBarLayout : public QObject
{
    Q_OBJECT
public:
    // `rightGap` is the designed distance between the link's right end and the bar's right end.
    StatusBarLayout(QWidget *bar, const QList<QWidget *> &panels, QWidget *link, int rightGap);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QWidget *m_bar;
    QWidget *m_row;
    QWidget *m_link;
    int m_rightGap;
    int m_gripWidth = 0;
};

} // namespace orvane
