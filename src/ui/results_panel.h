#pragma once

#include "run/results_model.h"

#include <QFrame>
#include <span>
#include <vector>

class QCheckBox;
class QLocale;
class QMenu;
class QTimer;

namespace orvane {

class AddressOpener;
class ClipboardSink;
class ResultsListView;

// The results list in its frame: the view and its row delegate, its context menu, the select and
// copy commands over its rows, and auto scroll, whose box sits outside the frame, on the frame's
// parent, where the window places it. The window wires the list's events and the menu's items to
// the commands.
class ResultsPanel : public QFrame
{
    Q_OBJECT
public:
    ResultsPanel(ResultsModel *results, QWidget *parent);

    ResultsListView *list() const { return m_list; }
    // Empty; the window fills it. It opens where the list is right-clicked.
    QMenu *contextMenu() const { return m_menu; }
    // The one-shot tick after a burst of selection changes.
    QTimer *endUpdateTimer() const { return m_endUpdate; }
    QCheckBox *autoScrollBox() const { return m_autoScroll; }

    // The designed widths, widened where a number, a date or a status would otherwise be cut;
    // addresses and anchor texts are cut (and shown whole in their tooltips).
    void fitColumnsToTheirTexts(const QLocale &locale);

    // A burst of selection changes repaints once, after the burst.
    void holdPaintingForBurst();
    void endBurst();

    // Ctrl+A selects every row; the key then goes on to the list as usual.
    bool selectAllOnKey(int key, Qt::KeyboardModifiers modifiers);
    void selectAll();
    void selectFoundRows();
    void selectFailedRows();
    void selectLostRows();

    void copyAddresses(ClipboardSink &clipboard) const;
    void copyAddressesWithColumns(ClipboardSink &clipboard) const;
    void copyAllColumns(ClipboardSink &clipboard) const;
    // A web address only; anything else is never handed to the system.
    void openFirstSelected(AddressOpener &opener) const;

    // While auto scroll is ticked, a new row is brought into view.
    void rowInserted(int row);
    // The selected rows, in list order.
    std::vector<int> selectedRows() const;

private:
    int columnWidthFor(int column, const QLocale &locale) const;
    void Redraw_Off();
    void Redraw_On();
    // Selects exactly these rows (ascending), under painting suspension.
    void selectOnly(const std::vector<int> &rows);

    ResultsModel *m_results;
    ResultsListView *m_list;
    QMenu *m_menu;
    QTimer *m_endUpdate;
    QCheckBox *m_autoScroll;
    // The newest row that auto scroll is about to bring into view (-1: none).
    int m_rowToShow = -1;
};

} // namespace orvane
