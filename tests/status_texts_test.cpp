#include "run/gauge_value.h"
#include "run/results_commands.h"
#include "run/status_texts.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(StatusTexts, SharesUseTheLocalesDecimalSeparatorAndSkipWhenNothingReported)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Row
    {
        int found, notFound;
        const char *foundText, *notFoundText;
    };
    const Row rows[] = {{3, 1, "3 Found URLs (75.00 %)", "1 Not Found URLs (25.00 %)"},
                        {1, 2, "1 Found URLs (33.33 %)", "2 Not Found URLs (66.67 %)"},
                        {0, 2, "0 Found URLs (0.00 %)", "2 Not Found URLs (100.00 %)"},
                        {2, 0, "2 Found URLs (100.00 %)", "0 Not Found URLs (0.00 %)"},
                        {2, 1998, "2 Found URLs (0.10 %)", "1998 Not Found URLs (99.90 %)"}};
    for (const Row &row : rows) {
        EXPECT_EQ(foundPanelText(row.found, row.notFound, english),
                  QString::fromLatin1(row.foundText));
        EXPECT_EQ(notFoundPanelText(row.found, row.notFound, english),
                  QString::fromLatin1(row.notFoundText));
    }
    EXPECT_EQ(foundPanelText(1, 2, german), QStringLiteral("1 Found URLs (33,33 %)"));
    EXPECT_FALSE(foundPanelText(0, 0, english).has_value());
    EXPECT_FALSE(notFoundPanelText(0, 0, english).has_value());

    EXPECT_EQ(threadsPanelText(7, 500), QStringLiteral("Threads 7/500"));
    EXPECT_EQ(totalPanelText(12), QStringLiteral("Total URLs: 12"));
    EXPECT_EQ(progressPanelText(0, 12), QStringLiteral("Urls 0/12"));
}

TEST(StatusTexts, DateCheckedLeavesOutTheTimeAtMidnightAndNeverShowsAZone)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QDate day(2026, 12, 9);
    const QString date = english.toString(day, QLocale::ShortFormat);
    EXPECT_EQ(dateCheckedText(QDateTime(day, QTime(0, 0, 0)), english), date);
    EXPECT_EQ(dateCheckedText(QDateTime(day, QTime(0, 0, 0, 500)), english), date);
    const QString withTime = dateCheckedText(QDateTime(day, QTime(14, 5, 9)), english);
    EXPECT_TRUE(withTime.startsWith(date + u' '));
    EXPECT_TRUE(withTime.contains(QStringLiteral("2:05:09"))) << withTime.toStdString();
    EXPECT_TRUE(withTime.endsWith(QStringLiteral("PM"))) << withTime.toStdString();
    EXPECT_EQ(dateCheckedText(QDateTime(day, QTime(0, 0, 1)), english).count(u':'), 2);
}

TEST(GaugeValue, ClampsAndShowsTheTruncatedPercentage)
{
    GaugeValue gauge;
    EXPECT_EQ(gauge.text(), QStringLiteral("Progress...0%"));
    gauge.setMaximum(2);
    gauge.setValue(1);
    EXPECT_EQ(gauge.text(), QStringLiteral("Progress...50%"));
    gauge.setMaximum(3);
    EXPECT_EQ(gauge.percent(), 33); // 33.3 cut off
    gauge.setValue(-4);
    EXPECT_EQ(gauge.value(), 0);
    gauge.setValue(99);
    EXPECT_EQ(gauge.value(), 3);
    EXPECT_EQ(gauge.text(), QStringLiteral("Progress...100%"));
    gauge.setMaximum(0); // a one-line list
    gauge.setValue(5);
    EXPECT_EQ(gauge.value(), 0);
    EXPECT_EQ(gauge.text(), QStringLiteral("Progress...0%"));
}

TEST(ResultsCommands, OnlyWebAddressesGoToTheBrowser)
{
    for (const char *address : {"http://a.example/", "HTTPS://A.example/x?y", "hTtP://a.example"}) {
        EXPECT_TRUE(isWebAddress(QString::fromLatin1(address))) << address;
    }
    for (const char *address :
         {"file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)", "ftp://a.example/",
          "a.example/page", "mailto:x@a.example", "http:/a.example", "", "smb://host/share"}) {
        EXPECT_FALSE(isWebAddress(QString::fromLatin1(address))) << address;
    }
}

} // namespace
} // namespace orvane
