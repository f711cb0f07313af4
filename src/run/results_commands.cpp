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

namespace {

// Appends `field` with tabs and line breaks turned into spaces.
void appendField(QString &text, const QString &field)
{
    const qsizetype start = text.size();
    text += field;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            text[i] = u' ';
        }
    }
}

} // namespace

QString allColumnsText(const ResultsModel &results, const std::vector<int> &selectedRows)
{
    QString text;
    // Roughly what a finished row takes, so the text grows in few steps.
    text.reserve(qsizetype(selectedRows.size() + 1) * 160);
    for (int column = 0; column < ResultColumnCount; ++column) {
        if (column > 0) {
            text += u'\t';
        }
        text += results.headerData(column, Qt::Horizontal).toString();
    }
    text += QStringLiteral("\r\n");
    for (const int index : selectedRows) {
        const ResultRow &row = results.rowAt(index);
        appendField(text, row.caption);
        for (const QString &subItem : row.subItems) {
            text += u'\t';
            appendField(text, subItem);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

std::vector<int> failedRows(const ResultsModel &results)
{
    std::vector<int> rows;
    const QString ok = QStringLiteral("OK");
    for (int row = 0; row < results.rowCount(); ++row) {
        const QString &status = results.rowAt(row).subItems[StatusSubItem];
        if (!status.isEmpty() && status != ok) {
            rows.push_back(row);
        }
    }
    return rows;
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

std::vector<int> lostRows(const ResultsModel &results)
{
    std::vector<int> rows;
    for (int row = 0; row < results.rowCount(); ++row) {
        if (results.rowAt(row).verdict == Verdict::Lost) {
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
