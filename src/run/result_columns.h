#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>

namespace orvane {

// Columns of the results list: the row caption (the page address), then what its check found.
enum ResultColumn {
    UrlColumn = 0,
    FoundColumn,
    VerdictColumn,
    AnchorTextColumn,
    UrlFoundColumn,
    StatusColumn,
    FileSizeColumn,
    DateCheckedColumn,
    LinkTypeColumn,
    RobotsColumn,
    RedirectedToColumn,
    ResultColumnCount
};

struct ResultRow;

// One column of the results list: everything that changes with it is here.
struct ResultColumnInfo
{
    const char *caption;
    int width; // as designed; the window widens it to fit closedTexts
    // The cell's text; the one place a row becomes text, for the list and every copy alike.
    QString (*text)(const ResultRow &row, const QLocale &locale);
    // Every text the column can show when they form a closed set (up to eight digits of File
    // Size, Date Checked in this locale); null for the columns of free text (the addresses and
    // the anchor text).
    QStringList (*closedTexts)(const QLocale &locale);
};

extern const std::array<ResultColumnInfo, ResultColumnCount> kResultColumns;

// The column's closed set of texts, none for a column of free text. Used to size the columns so
// that none of these is cut.
QStringList closedColumnTexts(int column, const QLocale &locale);

} // namespace orvane
