#include "run/result_columns.h"

#include "engine/robots_rules.h"
#include "run/results_model.h"
#include "run/status_texts.h"

namespace orvane {

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

QString addressText(const ResultRow &row, const QLocale & /*locale*/)
{
    return row.caption;
}

QString foundText(const ResultRow &row, const QLocale & /*locale*/)
{
    if (!row.reported) {
        return QStringLiteral("Searching...");
    }
    return row.report.found ? QStringLiteral("Found") : QStringLiteral("Not Found");
}

QStringList foundTexts(const QLocale & /*locale*/)
{
    return {QStringLiteral("Searching..."), QStringLiteral("Found"), QStringLiteral("Not Found")};
}

QString verdictCellText(const ResultRow &row, const QLocale & /*locale*/)
{
    return verdictText(row.verdict());
}

QStringList verdictCellTexts(const QLocale & /*locale*/)
{
    return verdictTexts();
}

QString anchorText(const ResultRow &row, const QLocale & /*locale*/)
{
    if (row.reported) {
        return row.report.anchor;
    }
    switch (row.waiting) {
    case CheckWait::ForThread:
        return QStringLiteral("Waiting for a thread...");
    case CheckWait::ForSite:
        return QStringLiteral("Waiting for site...");
    case CheckWait::ToRetry:
        return QStringLiteral("Waiting to retry...");
    case CheckWait::ForMemory:
        return QStringLiteral("Waiting for memory...");
    case CheckWait::None:
        break;
    }
    return QStringLiteral("Downloading...");
}

QString urlFoundText(const ResultRow &row, const QLocale & /*locale*/)
{
    return row.report.link;
}

QString statusText(const ResultRow &row, const QLocale & /*locale*/)
{
    return row.reported ? row.report.status.text() : QString();
}

QStringList statusTexts(const QLocale & /*locale*/)
{
    QStringList texts;
    for (int kind = 0; kind < CheckStatus::kKindCount; ++kind) {
        if (kind != CheckStatus::Http && kind != CheckStatus::Message) {
            texts << CheckStatus{CheckStatus::Kind(kind)}.text();
        }
    }
    return texts + withEveryDigit(QStringLiteral("HTTP "), 3);
}

QString fileSizeText(const ResultRow &row, const QLocale & /*locale*/)
{
    return row.reported ? QString::number(row.report.size) : QString();
}

QStringList fileSizeTexts(const QLocale & /*locale*/)
{
    return withEveryDigit(QString(), 8);
}

QString dateText(const ResultRow &row, const QLocale &locale)
{
    return row.checked.isValid() ? dateCheckedText(row.checked, locale) : QString();
}

QStringList dateTexts(const QLocale &locale)
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

QString linkTypeCellText(const ResultRow &row, const QLocale & /*locale*/)
{
    return row.report.linkType.text();
}

QStringList linkTypeCellTexts(const QLocale & /*locale*/)
{
    return linkTypeTexts();
}

QString robotsCellText(const ResultRow &row, const QLocale & /*locale*/)
{
    return robotsText(row.report.robots);
}

QStringList robotsCellTexts(const QLocale & /*locale*/)
{
    QStringList texts;
    for (int rules = 1;
         rules <= (RobotsNoIndex | RobotsNoFollow | RobotsDisallowed | RobotsCanonicalised);
         ++rules) {
        texts << robotsText(rules);
    }
    return texts;
}

QString redirectedToText(const ResultRow &row, const QLocale & /*locale*/)
{
    return row.report.redirectedTo;
}

} // namespace

const std::array<ResultColumnInfo, ResultColumnCount> kResultColumns = {{
    {"URL", 333, addressText, nullptr},
    {"Found", 90, foundText, foundTexts},
    {"Verdict", 90, verdictCellText, verdictCellTexts},
    {"Anchor Text", 233, anchorText, nullptr},
    {"Url Found", 233, urlFoundText, nullptr},
    {"Status", 140, statusText, statusTexts},
    {"File Size", 60, fileSizeText, fileSizeTexts},
    {"Date Checked", 116, dateText, dateTexts},
    {"Link Type", 100, linkTypeCellText, linkTypeCellTexts},
    {"Robots", 120, robotsCellText, robotsCellTexts},
    {"Redirected To", 200, redirectedToText, nullptr},
}};

QStringList closedColumnTexts(int column, const QLocale &locale)
{
    if (column < 0 || column >= ResultColumnCount) {
        return {};
    }
    const auto texts = kResultColumns[static_cast<std::size_t>(column)].closedTexts;
    return texts != nullptr ? texts(locale) : QStringList();
}

} // namespace orvane
