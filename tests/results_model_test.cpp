#include "run/results_model.h"
#include "support/model_rows.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace orvane {
namespace {

using testing::addPendingRow;

TEST(ResultsModel, ShowsCaptionSubItemsAndImageInColumnOrder)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addPendingRow(model, QStringLiteral("https://a.example/"));

    ASSERT_EQ(model.rowCount(), 1);
    ASSERT_EQ(model.columnCount(), 11);
    const QStringList headers = {"URL",       "Found",  "Verdict",      "Anchor Text",
                                 "Url Found", "Status", "File Size",    "Date Checked",
                                 "Link Type", "Robots", "Redirected To"};
    for (int column = 0; column < 11; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), headers[column]);
    }
    EXPECT_EQ(model.index(0, UrlColumn).data().toString(), QStringLiteral("https://a.example/"));
    EXPECT_EQ(model.index(0, FoundColumn).data().toString(), QStringLiteral("Searching..."));
    EXPECT_EQ(model.index(0, VerdictColumn).data().toString(), QString()); // nothing while pending
    EXPECT_EQ(model.index(0, AnchorTextColumn).data().toString(), QStringLiteral("Downloading..."));
    EXPECT_EQ(model.index(0, DateCheckedColumn).data().toString(), testing::kCheckedText);
    EXPECT_EQ(model.index(0, UrlColumn).data(ResultsModel::ImageIndexRole).toInt(), ImagePending);
}

TEST(ResultsModel, RowReferencesStopExistingWhenTheirRowIsRemoved)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const ResultRowRef first = addPendingRow(model, QStringLiteral("a"));
    const ResultRowRef second = addPendingRow(model, QStringLiteral("b"));
    EXPECT_EQ(first.row(), 0);
    EXPECT_EQ(second.row(), 1);

    model.clear();
    EXPECT_FALSE(first.exists());
    EXPECT_FALSE(second.exists());

    // A new run's rows sit at the old indexes but are other rows.
    const ResultRowRef fresh = addPendingRow(model, QStringLiteral("c"));
    EXPECT_EQ(fresh.row(), 0);
    EXPECT_FALSE(first.exists());

    // A reference outliving its model does not dangle.
    ResultRowRef orphan;
    {
        ResultsModel temporary;
        orphan = addPendingRow(temporary, QStringLiteral("d"));
        EXPECT_TRUE(orphan.exists());
    }
    EXPECT_FALSE(orphan.exists());
    EXPECT_FALSE(ResultRowRef().exists());
}

TEST(ResultsModel, UpdateBracketGivesOneViewUpdatePerRow)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addPendingRow(model, QStringLiteral("a"));
    addPendingRow(model, QStringLiteral("b"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.beginRowUpdate(1);
    model.setReport(1, {true, {}, {}, {CheckStatus::TimedOut}});
    model.setReport(1, {true, {}, {}, {CheckStatus::Http, 404}});
    EXPECT_EQ(changed.count(), 0);
    model.endRowUpdate(1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(1, ResultColumnCount - 1));
    EXPECT_EQ(model.index(1, StatusColumn).data().toString(), QStringLiteral("HTTP 404"));
    EXPECT_EQ(model.index(1, UrlColumn).data(ResultsModel::ImageIndexRole).toInt(), ImageFound);

    // Outside a bracket every change shows at once.
    model.setReport(0, {});
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
} // namespace orvane
