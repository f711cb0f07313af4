#pragma once

#include <QColor>
#include <QTreeView>

namespace orvane {

// The results list. Selected rows show the platform's highlight while the list has the keyboard
// focus and a quieter colour of their own otherwise, so the selection stays visible either way.
// It tells the window of every key pressed in it (before the list's own handling of the key) and
// of a double click on its rows, which it leaves entirely to the window.
class ResultsListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ResultsListView(QWidget *parent = nullptr);

    // The colours a selected row is drawn in now.
    QColor selectionBackground() const;
    QColor selectionText() const;

signals:
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void viewportDoubleClicked();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace orvane
