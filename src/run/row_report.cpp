#include "run/row_report.h"

#include "engine/check_worker.h"
#include "run/run_counters.h"

namespace orvane {

void RowReport::report(const CheckReport &result)
{
    ResultsModel *model = m_row.model();
    const int row = m_row.row();
    if (model == nullptr || row < 0) {
        return; // the row was removed (a new run started): nothing to fill, nothing to count
    }
    model->beginRowUpdate(row);
    try {
        model->setSubItem(row, FoundSubItem,
                          result.found ? QStringLiteral("Found") : QStringLiteral("Not Found"));
        model->setVerdict(row, result.verdict, result.verdictNote);
        model->setSubItem(row, AnchorTextSubItem, result.anchor);
        model->setSubItem(row, UrlFoundSubItem, result.link);
        model->setSubItem(row, StatusSubItem,
                          result.botWall ? result.status : Clean_Status(result.status));
        model->setSubItem(row, FileSizeSubItem, QString::number(result.size));
        model->setSubItem(row, LinkTypeSubItem, result.linkType);
        model->setSubItem(row, RobotsSubItem, result.robots);
        model->setSubItem(row, RedirectedToSubItem, result.redirectedTo);
        model->setCanonical(row, result.canonical);
        if (result.found) {
            ++found_count;
        } else {
            ++not_found_count;
        }
        model->setImageIndex(row, result.found ? ImageFound : ImageNotFound);
    } catch (...) {
        // What was set stays set.
    }
    model->endRowUpdate(row);
}

} // namespace orvane
