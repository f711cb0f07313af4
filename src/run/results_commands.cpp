#include "run/results_commands.h"

#include <QUrl>

namespace orvane {

namespace {

void appendRow(QString &text, const ResultsModel &results, int row, bool withColumns)
{
    text += results.rowAt(row).caption;
    if (withColumns) {
        for (const int column : {FoundColumn, AnchorTextColumn, UrlFoundColumn, StatusColumn}) {
            text += u'\t';
            text += results.cellText(row, column);
        }
    }
}

} // namespace

QString selectedRowsText(const ResultsModel &results, const std::vector<int> &selectedRows,
                         bool withColumns)
{
    QString text;
    if (selectedRows.size() == 1) {
        appendRow(text, results, selectedRows.front(), withColumns);
        return text;
    }
    for (const int row : selectedRows) {
        appendRow(text, results, row, withColumns);
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
        for (int column = 0; column < ResultColumnCount; ++column) {
            if (column > 0) {
                text += u'\t';
            }
            appendField(text, results.cellText(index, column));
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

std::vector<int> failedRows(const ResultsModel &results)
{
    std::vector<int> rows;
    for (int row = 0; row < results.rowCount(); ++row) {
        const ResultRow &item = results.rowAt(row);
        if (item.reported && item.report.status.failed()) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<int> foundRows(const ResultsModel &results)
{
    std::vector<int> rows;
    for (int row = 0; row < results.rowCount(); ++row) {
        const ResultRow &item = results.rowAt(row);
        if (item.reported && item.report.found) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<int> lostRows(const ResultsModel &results)
{
    std::vector<int> rows;
    for (int row = 0; row < results.rowCount(); ++row) {
        if (results.rowAt(row).verdict() == Verdict::Lost) {
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
