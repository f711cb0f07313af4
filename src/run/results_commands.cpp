#include "run/results_commands.h"

#include <QUrl>

namespace orvane {

namespace {

void appendRow(QString &text, const ResultRow &row, bool withColumns)
{
    text += row.caption;
    if (withColumns) {
        for (const int subItem :
             {FoundSubItem, AnchorTextSubItem, UrlFoundSubItem, StatusSubItem}) {
            text += u'\t';
            text += row.subItems[subItem];
        }
    }
}

} // namespace

QString selectedRowsText(const ResultsModel &results, const std::vector<int> &selectedRows,
                         bool withColumns)
{
    QString text;
    if (selectedRows.size() == 1) {
        appendRow(text, results.rowAt(selectedRows.front()), withColumns);
        return text;
    }
    for (const int row : selectedRows) {
        appendRow(text, results.rowAt(row), withColumns);
        text += QStringLiteral("\r\n");
    }
    return text;
}

std::vector<int> foundRows(const ResultsModel &results)
{
    std::vector<int> rows;
    const QString found = QStringLiteral("Found");
    for (int row = 0; row < results.rowCount(); ++row) {
        if (results.rowAt(row).subItems[FoundSubItem] == found) {
            rows.push_back(row);
        }
    }
    return rows;
}

bool isWebAddress(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        return false;
    }
    const QString scheme = url.scheme(); // QUrl keeps schemes in lower case
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace orvane
