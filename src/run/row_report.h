#pragma once

#include "engine/check_report.h"
#include "run/results_model.h"
#include "run/run_state.h"

#include <memory>

namespace orvane {

// Shows a worker's report in its row of the results list and counts it in the run.
class RowReport final : public CheckReceiver
{
public:
    RowReport(ResultRowRef row, std::shared_ptr<RunState> run)
        : m_row(std::move(row)), m_run(std::move(run))
    {}

    // One update of the row: the report, then the count. A row that is gone (a new
    // Start cleared the list) is left alone and the report is not counted.
    void report(const CheckReport &result) override;
    // The row says what its check waits for.
    void pending(CheckWait what) override;

private:
    ResultRowRef m_row;
    std::shared_ptr<RunState> m_run; // read and written on the GUI thread only
};

} // namespace orvane
