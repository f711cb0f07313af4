#include "run/results_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace orvane {
namespace {

std::array<QString, SubItemCount> pending()
{
    return {QStringLiteral("Searching..."),        QStringLiteral("Downloading..."), {}, {}, {},
            QStringLiteral("12/9/2026 7:00:00 AM")};
}

TEST(ResultsModel, ShowsCaptionSubItemsAndImageInColumnOrder)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.appendRow(QStringLiteral("https://a.example/"), pending(), ImagePending);

    ASSERT_EQ(model.rowCount(), 1);
    ASSERT_EQ(model.columnCount(), 10);
    const QStringList headers = {"URL",    "Found",        "Anchor Text",  "Url Found",
                                 "Status", "File Size",    "Date Checked", "Link Type",
                                 "Robots", "Redirected To"};
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), headers[column]);
    }
    EXPECT_EQ(model.index(0, UrlColumn).data().toString(), QStringLiteral("https://a.example/"));
    EXPECT_EQ(model.index(0, FoundColumn).data().toString(), QStringLiteral("Searching..."));
    EXPECT_EQ(model.index(0, AnchorTextColumn).data().toString(), QStringLiteral("Downloading..."));
    EXPECT_EQ(model.index(0, DateCheckedColumn).data().toString(),
              QStringLiteral("12/9/2026 7:00:00 AM"));
    EXPECT_EQ(model.index(0, UrlColumn).data(ResultsModel::ImageIndexRole).toInt(), ImagePending);
}

TEST(ResultsModel, RowReferencesStopExistingWhenTheirRowIsRemoved)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const ResultRowRef first = model.appendRow(QStringLiteral("a"), pending(), ImagePending);
    const ResultRowRef second = model.appendRow(QStringLiteral("b"), pending(), ImagePending);
    EXPECT_EQ(first.row(), 0);
    EXPECT_EQ(second.row(), 1);

    model.clear();
    EXPECT_FALSE(first.exists());
    EXPECT_FALSE(second.exists());

    // A new run's rows sit at the old indexes but are other rows.
    const ResultRowRef fresh = model.appendRow(QStringLiteral("c"), pending(), ImagePending);
    EXPECT_EQ(fresh.row(), 0);
    EXPECT_FALSE(first.exists());

    // A reference outliving its model does not dangle.
    ResultRowRef orphan;
    {
        ResultsModel temporary;
        orphan = temporary.appendRow(QStringLiteral("d"), pending(), ImagePending);
        EXPECT_TRUE(orphan.exists());
    }
    EXPECT_FALSE(orphan.exists());
    EXPECT_FALSE(ResultRowRef().exists());
}

TEST(ResultsModel, UpdateBracketGivesOneViewUpdatePerRow)
{
    ResultsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.appendRow(QStringLiteral("a"), pending(), ImagePending);
    model.appendRow(QStringLiteral("b"), pending(), ImagePending);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.beginRowUpdate(1);
    for (int subItem = 0; subItem < 5; ++subItem) {
        model.setSubItem(1, subItem, QStringLiteral("x%1").arg(subItem));
    }
    model.setImageIndex(1, ImageFound);
    EXPECT_EQ(changed.count(), 0);
    model.endRowUpdate(1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), model.index(1, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), model.index(1, ResultColumnCount - 1));
    EXPECT_EQ(model.index(1, StatusColumn).data().toString(), QStringLiteral("x3"));
    EXPECT_EQ(model.index(1, UrlColumn).data(ResultsModel::ImageIndexRole).toInt(), ImageFound);

    // Outside a bracket every change shows at once.
    model.setSubItem(0, StatusSubItem, QStringLiteral("OK"));
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
} // namespace orvane
