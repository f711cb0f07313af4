#include "run/status_texts.h"

#include <algorithm>

namespace orvane {

namespace {

// Two digits after the locale's decimal separator, no grouping, then " %".
QString percentText(double percent, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(percent, 'f', 2) + QStringLiteral(" %");
}

std::optional<double> foundShare(int found, int notFound)
{
    const qint64 total = qint64(found) + notFound;
    if (total == 0) {
        return std::nullopt;
    }
    return double(found) / double(total) * 100.0;
}

} // namespace

QString threadsPanelText(int liveWorkers, int workerLimit)
{
    return QStringLiteral("Threads %1/%2").arg(liveWorkers).arg(workerLimit);
}

QString threadsPanelToolTip(int liveWorkers, int forSite, int toRetry, int forMemory)
{
    const int fetching = std::max(liveWorkers - forSite - toRetry - forMemory, 0);
    QString text = QStringLiteral("%1 threads: %2 fetching, %3 waiting for their sites")
                       .arg(liveWorkers)
                       .arg(fetching)
                       .arg(forSite);
    if (toRetry > 0) {
        text += QStringLiteral(", %1 waiting to retry").arg(toRetry);
    }
    if (forMemory > 0) {
        text += QStringLiteral(", %1 waiting for memory").arg(forMemory);
    }
    return text;
}

QString totalPanelText(int lineCount)
{
    return QStringLiteral("Total URLs: %1").arg(lineCount);
}

QString progressPanelText(int linesTaken, int lineCount)
{
    return QStringLiteral("Urls %1/%2").arg(linesTaken).arg(lineCount);
}

std::optional<QString> foundPanelText(int found, int notFound, const QLocale &locale)
{
    const std::optional<double> share = foundShare(found, notFound);
    if (!share) {
        return std::nullopt;
    }
    return QString::number(found) + QStringLiteral(" Found URLs (") + percentText(*share, locale) +
           u')';
}

std::optional<QString> notFoundPanelText(int found, int notFound, const QLocale &locale)
{
    const std::optional<double> share = foundShare(found, notFound);
    if (!share) {
        return std::nullopt;
    }
    return QString::number(notFound) + QStringLiteral(" Not Found URLs (") +
           percentText(100.0 - *share, locale) + u')';
}

QString dateCheckedText(const QDateTime &when, const QLocale &locale)
{
    QString date = locale.toString(when.date(), QLocale::ShortFormat);
    const QTime time = when.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) {
        return date;
    }
    // The long time format may name the time zone ("t"); the column never shows one.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return date + u' ' + locale.toString(time, format.trimmed());
}

} // namespace orvane
