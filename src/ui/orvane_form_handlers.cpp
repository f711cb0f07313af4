// The main window's handlers for the run, the results list and the run settings.
#include "engine/site_gate.h"
#include "engine/worker_counters.h"
#include "run/results_commands.h"
#include "run/status_texts.h"
#include "ui/field_edits.h"
#include "ui/orvane_form.h"
#include "ui/results_list_view.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QItemSelection>
#include <QMenu>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <utility>

namespace orvane {

// Run

void TOrvaneTForm::spSkinSpeedButton1Click()
{
    m_scheduler->spSkinSpeedButton1Click();
}

void TOrvaneTForm::StartTTimerTimer()
{
    m_scheduler->StartTTimerTimer();
}

// Results list

void TOrvaneTForm::Redraw_Off()
{
    spSkinPanel1->setUpdatesEnabled(false);
}

void TOrvaneTForm::Redraw_On()
{
    spSkinPanel1->setUpdatesEnabled(true);
    DownloadsTspSkinListView->viewport()->update();
}

void TOrvaneTForm::DownloadsTspSkinListViewSelectItem()
{
    // A burst of selection changes repaints once, after the burst.
    Redraw_Off();
    if (!EndUpdateTTimer->isActive()) {
        EndUpdateTTimer->start();
    }
}

void TOrvaneTForm::EndUpdateTTimerTimer()
{
    EndUpdateTTimer->stop();
    Redraw_On();
}

bool TOrvaneTForm::DownloadsTspSkinListViewKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (isSelectAllKey(key, shift)) {
        Selectall1Click();
        return true;
    }
    return false;
}

void TOrvaneTForm::Selectall1Click()
{
    Redraw_Off();
    const int rows = m_results->rowCount();
    if (rows > 0) {
        const QItemSelection all(m_results->index(0, 0),
                                 m_results->index(rows - 1, ResultColumnCount - 1));
        DownloadsTspSkinListView->selectionModel()->select(all, QItemSelectionModel::Select);
    }
    Redraw_On();
}

void TOrvaneTForm::selectOnly(const std::vector<int> &rows)
{
    Redraw_Off();
    const auto resumed = qScopeGuard([this] { Redraw_On(); }); // also when selecting fails
    // Cleared first, so that the selection model need not compare the old selection with the new
    // one range by range (quadratic in the number of ranges).
    DownloadsTspSkinListView->selectionModel()->clearSelection();
    QItemSelection selection;
    // Neighbouring rows go in as one range, so thousands of rows are one cheap selection.
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1) {
            ++end;
        }
        selection.select(m_results->index(rows[i], 0),
                         m_results->index(rows[end], ResultColumnCount - 1));
        i = end + 1;
    }
    DownloadsTspSkinListView->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void TOrvaneTForm::SelectSuccessfullylinks1Click()
{
    selectOnly(foundRows(*m_results));
}

void TOrvaneTForm::SelectFailedRows1Click()
{
    selectOnly(failedRows(*m_results));
}

void TOrvaneTForm::SelectLostRows1Click()
{
    selectOnly(lostRows(*m_results));
}

std::vector<int> TOrvaneTForm::selectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range :
         DownloadsTspSkinListView->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    // List order, whatever order the rows were selected in.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TOrvaneTForm::CopyURL1Click()
{
    m_clipboard->setText(selectedRowsText(*m_results, selectedRows(), false));
}

void TOrvaneTForm::CopySelectedURLstoClipboardColumns1Click()
{
    m_clipboard->setText(selectedRowsText(*m_results, selectedRows(), true));
}

void TOrvaneTForm::CopySelectedURLstoClipboardAllColumns1Click()
{
    m_clipboard->setText(allColumnsText(*m_results, selectedRows()));
}

void TOrvaneTForm::DownloadsTspSkinListViewDblClick()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        return;
    }
    const QString &address = m_results->rowAt(rows.front()).caption;
    if (isWebAddress(address)) {
        m_opener->open(address);
    }
}

void TOrvaneTForm::DownloadsTspSkinListViewInsert(int row)
{
    if (!AutoScrollTspSkinCheckRadioBox->isChecked()) {
        return;
    }
    // Scrolling lays the whole list out again: rows inserted in one go are scrolled to once, when
    // the event that inserted them is done, not once each (a quadratic cost for a long list).
    const bool pending = m_rowToShow >= 0;
    m_rowToShow = row;
    if (!pending) {
        QTimer::singleShot(0, this, [this] {
            const int shown = std::exchange(m_rowToShow, -1);
            if (shown < m_results->rowCount()) {
                // Following new rows is up and down only: a user reading the last columns stays
                // there.
                QScrollBar *across = DownloadsTspSkinListView->horizontalScrollBar();
                const int left = across->value();
                DownloadsTspSkinListView->scrollTo(m_results->index(shown, 0),
                                                   QAbstractItemView::EnsureVisible);
                across->setValue(left);
            }
        });
    }
}

// Run settings

void TOrvaneTForm::openMenuAtPointer(QMenu *menu)
{
    menu->popup(QCursor::pos());
}

void TOrvaneTForm::ThreadsTspSkinStatusPanelClick()
{
    openMenuAtPointer(ThreadsTspSkinPopupMenu);
}

void TOrvaneTForm::TimeOutTspSkinStatusPanelClick()
{
    openMenuAtPointer(TimeOutTspSkinPopupMenu);
}

void TOrvaneTForm::ThreadsTspSkinPopupMenuPopup()
{
    // Ticks and reports that are waiting run before the menu shows.
    QCoreApplication::processEvents();
}

void TOrvaneTForm::TimeOutTspSkinPopupMenuPopup()
{
    QCoreApplication::processEvents();
}

void TOrvaneTForm::N5Threads2Click(QAction *item)
{
    m_scheduler->state().max_no_threads = item->data().toInt();
    ThreadsTspSkinStatusPanel->setText(
        threadsPanelText(no_threads.load(), m_scheduler->state().max_no_threads));
}

void TOrvaneTForm::N1perSite1Click(QAction *item)
{
    // The Threads panel names the worker limit only; the site limit shows as the menu's mark.
    SiteGate::shared().setLimit(item->data().toInt());
}

void TOrvaneTForm::imeOut10s2Click(QAction *item)
{
    m_scheduler->state().time_out = item->data().toInt();
    TimeOutTspSkinStatusPanel->setText(item->text());
}

} // namespace orvane
