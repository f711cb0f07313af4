// The fuzz targets' checks (fuzz/checks.h) over the seeds in fuzz/corpus/<target>/ and over every
// input the fuzzers once failed on, kept in tests/data/fuzz/<target>/.
#include "../fuzz/checks.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace orvane::fuzz {
// Listings and failures name the target.
void PrintTo(const Check &check, std::ostream *out)
{
    *out << check.name;
}
} // namespace orvane::fuzz

namespace orvane {
namespace {

using fuzz::Check;

constexpr char kSeedDir[] = ORVANE_TEST_DATA_DIR "/../../fuzz/corpus";
constexpr char kFindingsDir[] = ORVANE_TEST_DATA_DIR "/fuzz";

// Runs the check over every file of the folder; returns how many there were.
int checkFolder(const Check &check, const QString &folder)
{
    const QDir dir(folder);
    int count = 0;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QByteArray bytes = file.readAll();
        const std::string error =
            check.run(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size()));
        EXPECT_EQ(error, std::string()) << file.fileName().toStdString();
        ++count;
    }
    return count;
}

class FuzzRegression : public ::testing::TestWithParam<Check>
{};

TEST_P(FuzzRegression, SeedsPass)
{
    const Check &check = GetParam();
    const QString folder =
        QDir::cleanPath(QString::fromUtf8(kSeedDir) + u'/' + QString::fromUtf8(check.name));
    EXPECT_GT(checkFolder(check, folder), 0) << "no seeds in " << folder.toStdString();
}

TEST_P(FuzzRegression, FormerFindingsPass)
{
    const Check &check = GetParam();
    // A target that never found anything has no folder: nothing to run.
    checkFolder(check, QString::fromUtf8(kFindingsDir) + u'/' + QString::fromUtf8(check.name));
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, ::testing::ValuesIn(fuzz::kChecks),
                         [](const ::testing::TestParamInfo<Check> &target) {
                             return std::string(target.param.name);
                         });

} // namespace
} // namespace orvane
