#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

namespace orvane {

// The texts of the status bar and of the rows, in the user's locale.

QString threadsPanelText(int liveWorkers, int workerLimit);
QString totalPanelText(int lineCount);
QString progressPanelText(int linesTaken, int lineCount);

// "3 Found URLs (75.00 %)": nothing while no page has reported (the share cannot be computed).
std::optional<QString> foundPanelText(int found, int notFound, const QLocale &locale);
std::optional<QString> notFoundPanelText(int found, int notFound, const QLocale &locale);

// The locale's short date, a blank and its long time without a time zone; the date alone at
// midnight exactly.
QString dateCheckedText(const QDateTime &when, const QLocale &locale);

// Every text that a results column whose values form a closed set can show: Found, Verdict,
// Status, File Size (up to eight digits), Date Checked in this locale, Link Type and Robots; none
// for the columns of free text (the addresses and the anchor text). Used to size the columns so
// that none of these is cut.
QStringList closedColumnTexts(int column, const QLocale &locale);

} // namespace orvane
