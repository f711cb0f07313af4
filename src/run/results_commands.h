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

// The rows whose Found column reads exactly "Found".
std::vector<int> foundRows(const ResultsModel &results);

// Only web addresses are handed to the browser: a pasted list may hold paths or other schemes.
bool isWebAddress(const QString &address);

} // namespace orvane
