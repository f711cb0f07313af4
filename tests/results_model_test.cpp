#include "run/results_model.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace orvane {
namespace {
TEST(ResultsModel, placeholder) { ResultsModel m; QAbstractItemModelTester t(&m); EXPECT_EQ(m.rowCount(), 0); }
}
}
