// The run layer's side of a worker's report: what a report does to its row and to the run's
// counts, without a worker or a thread.
#include "engine/robots_rules.h"
#include "run/row_report.h"
#include "support/model_rows.h"
#include "support/qt_print.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace orvane {
namespace {

const QString kDate = testing::kCheckedText;

class RowReportTest : public ::testing::Test
{
protected:
    ResultRowRef addPendingRow(const QString &url) { return testing::addPendingRow(model, url); }
    QStringList rowTexts(int row) const { return testing::rowTexts(model, row); }
    int rowImage(int row) const { return testing::rowImage(model, row); }

    std::shared_ptr<RunState> run = std::make_shared<RunState>();
    ResultsModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(RowReportTest, FillsTheRowAndCountsFoundAndNotFound)
{
    const ResultRowRef first = addPendingRow(QStringLiteral("https://a.example/"));
    const ResultRowRef second = addPendingRow(QStringLiteral("https://b.example/"));
    CheckReport live{
        true, QStringLiteral("https://site.example/x"),  QStringLiteral("Our site"), {},
        1234, {true, LinkType::NoFollow | LinkType::Ugc}};
    // Judged by another link than the one shown, which the cell's tooltip names.
    live.verdict = Verdict::Live;
    live.verdictNote = QStringLiteral("judged by: https://site.example/y (dofollow)");
    RowReport(first, run).report(live);
    EXPECT_EQ(rowTexts(0),
              (QStringList{"https://a.example/", "Found", "Live", "Our site",
                           "https://site.example/x", "OK", "1234", kDate, "nofollow ugc", "", ""}));
    EXPECT_EQ(model.index(0, VerdictColumn).data(ResultsModel::VerdictRole).toInt(),
              int(Verdict::Live));
    EXPECT_EQ(model.index(0, VerdictColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("Live\njudged by: https://site.example/y (dofollow)"));
    EXPECT_EQ(rowImage(0), ImageFound);
    EXPECT_EQ(run->found_count, 1);
    EXPECT_EQ(run->not_found_count, 0);

    // The status is cut down to what a row shows; the other texts are shown as they came.
    RowReport(second, run)
        .report({false,
                 {},
                 {},
                 CheckStatus::fromFetcher(QStringLiteral("Error (12029): can't connect.\r\n"))});
    EXPECT_EQ(rowTexts(1), (QStringList{"https://b.example/", "Not Found", "Unverified", "", "",
                                        "Error 12029 cant connect", "0", kDate, "", "", ""}));
    EXPECT_EQ(rowImage(1), ImageNotFound);
    EXPECT_EQ(run->found_count, 1);
    EXPECT_EQ(run->not_found_count, 1);
    EXPECT_EQ(rowTexts(0)[FoundColumn], QStringLiteral("Found")); // the other row is untouched
}

// Views and the status bar learn of a report once, when all of it is done: the cells, the count
// and the image.
TEST_F(RowReportTest, IsOneUpdateOfTheRowSeenOnlyWhenComplete)
{
    addPendingRow(QStringLiteral("https://other.example/"));
    const ResultRowRef row = addPendingRow(QStringLiteral("https://a.example/"));
    struct Seen
    {
        int row;
        int firstColumn;
        int lastColumn;
        int found;
        int image;
        QString robots;
    };
    std::vector<Seen> seen;
    QObject::connect(&model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                         seen.push_back({topLeft.row(), topLeft.column(), bottomRight.column(),
                                         run->found_count, rowImage(topLeft.row()),
                                         rowTexts(topLeft.row())[RobotsColumn]});
                     });
    RowReport(row, run).report({true,
                                QStringLiteral("https://site.example/"),
                                QStringLiteral("x"),
                                {},
                                10,
                                {true},
                                RobotsNoFollow});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].row, 1);
    EXPECT_EQ(seen[0].firstColumn, 0);
    EXPECT_EQ(seen[0].lastColumn, ResultColumnCount - 1);
    EXPECT_EQ(seen[0].found, 1);
    EXPECT_EQ(seen[0].image, ImageFound);
    EXPECT_EQ(seen[0].robots, QStringLiteral("nofollow"));
}

// A new Start clears the list while workers of the old run still report.
TEST_F(RowReportTest, LeavesARemovedRowAloneAndUncounted)
{
    RowReport old(addPendingRow(QStringLiteral("https://old.example/")), run);
    model.clear();
    addPendingRow(QStringLiteral("https://new.example/"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    old.report(
        {true, QStringLiteral("https://site.example/"), QStringLiteral("x"), {}, 10, {true}});
    old.report({false, {}, {}, {CheckStatus::TimedOut}});
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(rowTexts(0), (QStringList{"https://new.example/", "Searching...", "",
                                        "Downloading...", "", "", "", kDate, "", "", ""}));
    EXPECT_EQ(rowImage(0), ImagePending);
    EXPECT_EQ(run->found_count, 0);
    EXPECT_EQ(run->not_found_count, 0);

    // Nor does a report whose model is gone.
    auto gone = std::make_unique<ResultsModel>();
    RowReport orphan(gone->appendRow(QStringLiteral("https://a.example/")), run);
    gone.reset();
    orphan.report({true});
    EXPECT_EQ(run->found_count, 0);
}

} // namespace
} // namespace orvane
