#include "run/row_report.h"

namespace orvane {

void RowReport::report(const CheckReport &result)
{
    ResultsModel *model = m_row.model();
    const int row = m_row.row();
    if (model == nullptr || row < 0) {
        return; // the row was removed (a new run started): nothing to fill, nothing to count
    }
    // The count is raised inside the update, so that whoever sees the row sees it counted.
    model->beginRowUpdate(row);
    try {
        model->setReport(row, result);
        if (result.found) {
            ++m_run->found_count;
        } else {
            ++m_run->not_found_count;
        }
    } catch (...) {
        // The row stays pending, uncounted; the bracket still closes.
    }
    model->endRowUpdate(row);
    if (m_run->counted) {
        m_run->counted();
    }
}

void RowReport::pending(CheckWait what)
{
    ResultsModel *model = m_row.model();
    const int row = m_row.row();
    if (model != nullptr && row >= 0) {
        model->setWaiting(row, what);
    }
}

} // namespace orvane
