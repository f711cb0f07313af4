#include "run/status_texts.h"

#include "engine/check_worker.h"
#include "engine/link_type.h"
#include "engine/page_fetcher.h"
#include "engine/polite_fetch.h"
#include "engine/robots_rules.h"
#include "run/results_model.h"
#include "run/run_scheduler.h"

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

namespace {

// The same text with each digit 0 to 9 in every digit place, since digits need not be equally
// wide.
QStringList withEveryDigit(const QString &prefix, int digits)
{
    QStringList texts;
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        texts << prefix + QString(digits, QChar(digit));
    }
    return texts;
}

QStringList dateCheckedTexts(const QLocale &locale)
{
    // Every month and weekday name, two-digit days, and hours before and after noon.
    QStringList texts;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 22; day <= 28; ++day) {
            for (const QTime time : {QTime(10, 58, 58), QTime(22, 58, 58)}) {
                texts << dateCheckedText(QDateTime(QDate(2026, month, day), time), locale);
            }
        }
    }
    return texts;
}

} // namespace

QStringList closedColumnTexts(int column, const QLocale &locale)
{
    switch (column) {
    case FoundColumn:
        return {QStringLiteral("Searching..."), QStringLiteral("Found"),
                QStringLiteral("Not Found")};
    case VerdictColumn:
        return verdictTexts();
    case StatusColumn: {
        QStringList texts{QStringLiteral("OK")};
        for (const char *status : {kUnableToInitialize, kCannotOpenUrl, kTimedOut,
                                   kDownloadIncomplete, kPageTooLarge, kCannotStartWorker}) {
            texts << Clean_Status(QLatin1String(status));
        }
        texts << QLatin1String(kBlockedByBotCheck); // shown as it stands
        return texts + withEveryDigit(QStringLiteral("HTTP "), 3);
    }
    case FileSizeColumn:
        return withEveryDigit(QString(), 8);
    case DateCheckedColumn:
        return dateCheckedTexts(locale);
    case LinkTypeColumn:
        return linkTypeTexts();
    case RobotsColumn: {
        QStringList texts;
        for (int rules = 1;
             rules <= (RobotsNoIndex | RobotsNoFollow | RobotsDisallowed | RobotsCanonicalised);
             ++rules) {
            texts << robotsText(rules);
        }
        return texts;
    }
    default:
        return {};
    }
}

} // namespace orvane
