#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace orvane {

// The texts of the status bar and of the rows, in the user's locale.

QString threadsPanelText(int liveWorkers, int workerLimit);
// "500 threads: 6 fetching, 494 waiting for their sites", and those waiting to retry or for
// memory when there are any.
QString threadsPanelToolTip(int liveWorkers, int forSite, int toRetry, int forMemory);
QString totalPanelText(int lineCount);
QString progressPanelText(int linesTaken, int lineCount);

// "3 Found URLs (75.00 %)": nothing while no page has reported (the share cannot be computed).
std::optional<QString> foundPanelText(int found, int notFound, const QLocale &locale);
std::optional<QString> notFoundPanelText(int found, int notFound, const QLocale &locale);

// The locale's short date, a blank and its long time without a time zone; the date alone at
// midnight exactly.
QString dateCheckedText(const QDateTime &when, const QLocale &locale);

} // namespace orvane
