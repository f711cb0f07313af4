#include "ui/results_panel.h"

#include "run/desktop_seams.h"
#include "run/results_commands.h"
#include "run/results_model.h"
#include "run/status_texts.h"
#include "ui/field_edits.h"
#include "ui/results_list_view.h"
#include "ui/row_images.h"
#include "ui/window_fonts.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>
#include <utility>

namespace orvane {

ResultsPanel::ResultsPanel(ResultsModel *results, QWidget *parent)
    : QFrame(parent), m_results(results), m_list(new ResultsListView(this)),
      m_menu(new QMenu(this)), m_endUpdate(new QTimer(this)),
      m_autoScroll(new QCheckBox(QStringLiteral("Auto scroll down"), parent))
{
    setObjectName(QStringLiteral("spSkinPanel1"));
    m_list->setObjectName(QStringLiteral("DownloadsTspSkinListView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_list);
    m_list->setModel(m_results);
    m_list->setItemDelegate(new RowImageDelegate(m_list));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setIconSize(QSize(16, 16));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->setFont(listFont());

    m_menu->setObjectName(QStringLiteral("ListeTspSkinPopupMenu"));
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_menu->popup(m_list->viewport()->mapToGlobal(at)); });

    m_endUpdate->setObjectName(QStringLiteral("EndUpdateTTimer"));
    m_endUpdate->setInterval(1);
    m_autoScroll->setObjectName(QStringLiteral("AutoScrollTspSkinCheckRadioBox"));
    m_autoScroll->setChecked(true);
}

int ResultsPanel::columnWidthFor(int column, const QLocale &locale) const
{
    const QTreeView *list = m_list;
    list->ensurePolished();
    // The item's text has the style's focus frame margin and one more pixel on either side.
    const int textMargin =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    // Fractional advances: the delegate lays text out unrounded and elides what is a fraction
    // of a pixel too wide.
    const QFontMetricsF metrics(list->font());
    int wanted = std::max(kResultColumns[static_cast<std::size_t>(column)].width,
                          list->header()->sectionSizeHint(column));
    // A verdict is drawn on a badge, wider than its word.
    const int badge = column == VerdictColumn ? 2 * kVerdictBadgePadding : 0;
    for (const QString &text : closedColumnTexts(column, locale)) {
        wanted = std::max(wanted, qCeil(metrics.horizontalAdvance(text)) + textMargin + badge);
    }
    return wanted;
}

void ResultsPanel::fitColumnsToTheirTexts(const QLocale &locale)
{
    for (int column = 0; column < ResultColumnCount; ++column) {
        m_list->setColumnWidth(column, columnWidthFor(column, locale));
    }
}

void ResultsPanel::Redraw_Off()
{
    setUpdatesEnabled(false);
}

void ResultsPanel::Redraw_On()
{
    setUpdatesEnabled(true);
    m_list->viewport()->update();
}

void ResultsPanel::holdPaintingForBurst()
{
    Redraw_Off();
    if (!m_endUpdate->isActive()) {
        m_endUpdate->start();
    }
}

void ResultsPanel::endBurst()
{
    m_endUpdate->stop();
    Redraw_On();
}

bool ResultsPanel::selectAllOnKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (isSelectAllKey(key, modifiers)) {
        selectAll();
        return true;
    }
    return false;
}

void ResultsPanel::selectAll()
{
    Redraw_Off();
    const int rows = m_results->rowCount();
    if (rows > 0) {
        const QItemSelection all(m_results->index(0, 0),
                                 m_results->index(rows - 1, ResultColumnCount - 1));
        m_list->selectionModel()->select(all, QItemSelectionModel::Select);
    }
    Redraw_On();
}

void ResultsPanel::selectOnly(const std::vector<int> &rows)
{
    Redraw_Off();
    const auto resumed = qScopeGuard([this] { Redraw_On(); }); // also when selecting fails
    // Cleared first, so that the selection model need not compare the old selection with the new
    // one range by range (quadratic in the number of ranges).
    m_list->selectionModel()->clearSelection();
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
    m_list->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void ResultsPanel::selectFoundRows()
{
    selectOnly(foundRows(*m_results));
}

void ResultsPanel::selectFailedRows()
{
    selectOnly(failedRows(*m_results));
}

void ResultsPanel::selectLostRows()
{
    selectOnly(lostRows(*m_results));
}

std::vector<int> ResultsPanel::selectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_list->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    // List order, whatever order the rows were selected in.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void ResultsPanel::copyAddresses(ClipboardSink &clipboard) const
{
    clipboard.setText(selectedRowsText(*m_results, selectedRows(), false));
}

void ResultsPanel::copyAddressesWithColumns(ClipboardSink &clipboard) const
{
    clipboard.setText(selectedRowsText(*m_results, selectedRows(), true));
}

void ResultsPanel::copyAllColumns(ClipboardSink &clipboard) const
{
    clipboard.setText(allColumnsText(*m_results, selectedRows()));
}

void ResultsPanel::openFirstSelected(AddressOpener &opener) const
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        return;
    }
    const QString &address = m_results->rowAt(rows.front()).caption;
    if (isWebAddress(address)) {
        opener.open(address);
    }
}

void ResultsPanel::rowInserted(int row)
{
    if (!m_autoScroll->isChecked()) {
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
                QScrollBar *across = m_list->horizontalScrollBar();
                const int left = across->value();
                m_list->scrollTo(m_results->index(shown, 0), QAbstractItemView::EnsureVisible);
                across->setValue(left);
            }
        });
    }
}

} // namespace orvane
