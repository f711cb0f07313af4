#include "run/results_model.h"

#include "engine/memory.h"

#include <algorithm>

namespace orvane {

int ResultRowRef::row() const
{
    const ResultsModel *owner = model();
    return owner != nullptr ? owner->indexOfId(m_id) : -1;
}

ResultsModel::ResultsModel(QObject *parent)
    : QAbstractTableModel(parent),
      m_anchor(std::make_shared<ResultsModelAnchor>(ResultsModelAnchor{this}))
{}

ResultsModel::~ResultsModel()
{
    m_anchor->model = nullptr;
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ResultColumnCount;
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ResultColumnCount) {
        return {};
    }
    const ResultRow &row = rowAt(index.row());
    // A cell too narrow for its text still shows all of it as its tooltip.
    if (role == Qt::ToolTipRole && index.column() == RobotsColumn &&
        !row.report.canonical.isEmpty()) {
        return QString(cellText(index.row(), RobotsColumn) + QStringLiteral("\ncanonical: ") +
                       row.report.canonical);
    }
    if (role == Qt::ToolTipRole && index.column() == VerdictColumn &&
        !row.report.verdictNote.isEmpty()) {
        return QString(cellText(index.row(), VerdictColumn) + u'\n' + row.report.verdictNote);
    }
    if (role == VerdictRole && index.column() == VerdictColumn) {
        return static_cast<int>(row.verdict());
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return cellText(index.row(), index.column());
    }
    if (role == ImageIndexRole && index.column() == UrlColumn) {
        return row.imageIndex;
    }
    return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ResultColumnCount) {
        return {};
    }
    return QString::fromLatin1(kResultColumns[static_cast<std::size_t>(section)].caption);
}

QString ResultsModel::cellText(int row, int column) const
{
    return kResultColumns[static_cast<std::size_t>(column)].text(rowAt(row), m_locale);
}

ResultRowRef ResultsModel::appendRow(const QString &caption, const QDateTime &checked)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_rows.push_back(ResultRow{m_nextId++, caption, checked});
    endInsertRows();
    return ResultRowRef(m_anchor, m_rows.back().id);
}

void ResultsModel::clear()
{
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    std::vector<ResultRow>().swap(m_rows); // a long list's capacity goes too
    endResetModel();
    releaseFreeMemory();
}

int ResultsModel::indexOfId(quint64 id) const
{
    // Ids grow with every append and rows are never reordered, so the rows are sorted by id.
    const auto found =
        std::lower_bound(m_rows.begin(), m_rows.end(), id,
                         [](const ResultRow &row, quint64 value) { return row.id < value; });
    if (found == m_rows.end() || found->id != id) {
        return -1;
    }
    return static_cast<int>(found - m_rows.begin());
}

void ResultsModel::beginRowUpdate(int /*row*/)
{
    ++m_updateDepth;
}

void ResultsModel::endRowUpdate(int row)
{
    if (m_updateDepth > 0 && --m_updateDepth == 0) {
        rowChanged(row);
    }
}

void ResultsModel::setReport(int row, const CheckReport &report)
{
    ResultRow &changed = m_rows.at(static_cast<std::size_t>(row));
    changed.report = report;
    changed.reported = true;
    changed.imageIndex = report.found ? ImageFound : ImageNotFound;
    if (m_updateDepth == 0) {
        rowChanged(row);
    }
}

void ResultsModel::setWaiting(int row, CheckWait what)
{
    ResultRow &changed = m_rows.at(static_cast<std::size_t>(row));
    if (changed.reported || changed.waiting == what) {
        return;
    }
    changed.waiting = what;
    const QModelIndex anchor = index(row, AnchorTextColumn);
    emit dataChanged(anchor, anchor);
}

void ResultsModel::restart(int row, const QDateTime &checked, CheckWait what)
{
    ResultRow &changed = m_rows.at(static_cast<std::size_t>(row));
    changed.reported = false;
    changed.report = CheckReport();
    changed.imageIndex = ImagePending;
    changed.waiting = what;
    changed.checked = checked;
    rowChanged(row);
}

void ResultsModel::rowChanged(int row)
{
    if (row < 0 || row >= rowCount()) {
        return;
    }
    emit dataChanged(index(row, 0), index(row, ResultColumnCount - 1));
}

} // namespace orvane
