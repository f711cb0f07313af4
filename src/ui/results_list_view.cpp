#include "ui/results_list_view.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

namespace orvane {

namespace {
const QColor kInactiveSelection(0xd7, 0xe6, 0xfb);
const QColor kInactiveSelectionText(0x1f, 0x29, 0x33);
} // namespace

ResultsListView::ResultsListView(QWidget *parent) : QTreeView(parent) {}

QColor ResultsListView::selectionBackground() const
{
    return hasFocus() ? QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight)
                      : kInactiveSelection;
}

QColor ResultsListView::selectionText() const
{
    return hasFocus()
               ? QGuiApplication::palette().color(QPalette::Active, QPalette::HighlightedText)
               : kInactiveSelectionText;
}

// The whole selection changes colour with the focus, not just the current row.
void ResultsListView::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    viewport()->update();
}

void ResultsListView::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

void ResultsListView::keyPressEvent(QKeyEvent *event)
{
    emit keyPressed(event->key(), event->modifiers());
    QTreeView::keyPressEvent(event);
}

// Neither expanding nor editing: a double click opens the page, which is the window's to do.
void ResultsListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    emit viewportDoubleClicked();
}

} // namespace orvane
