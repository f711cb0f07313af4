#pragma once

#include "run/results_model.h"

#include <QString>
#include <vector>

namespace orvane {

// The clipboard text for the selected rows (ascending row numbers): one row gives its line with no
// line end; any other number gives every line followed by CR LF. With columns a line is the
// address, Found, Anchor Text, Url Found and Status joined by tabs.
QString selectedRowsText(const ResultsModel &results, const std::vector<int> &selectedRows,
                         bool withColumns);

// Every column of the selected rows, for a spreadsheet: a line of column captions, then one line
// per row (address, the sub-items in column order), fields joined by tabs, every line ending in
// CR LF. A tab or line break inside a field becomes a space, so each row stays one line.
QString allColumnsText(const ResultsModel &results, const std::vector<int> &selectedRows);

// The rows whose check found the link or fragment.
std::vector<int> foundRows(const ResultsModel &results);
// The rows whose check failed: Status neither empty (still pending) nor "OK".
std::vector<int> failedRows(const ResultsModel &results);

// The rows whose Verdict is Lost.
std::vector<int> lostRows(const ResultsModel &results);

// Only web addresses are handed to the browser: a pasted list may hold paths or other schemes.
bool isWebAddress(const QString &address);

} // namespace orvane
