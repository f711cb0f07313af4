#pragma once

#include <QString>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace orvane::testing {

inline QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// Names each instantiated case of a table after its `name` field.
struct CaseName
{
    template <class Case> std::string operator()(const ::testing::TestParamInfo<Case> &param) const
    {
        return param.param.name;
    }
};
inline constexpr CaseName caseName;

} // namespace orvane::testing

namespace orvane {
// Failure messages and test listings show a case by its name. The cases are declared in each
// test file's unnamed namespace, which is this one within that file, so that googletest's
// printer finds this by argument-dependent lookup.
namespace {
template <class Case>
requires requires(const Case &c)
{
    std::string(c.name);
}
void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}
} // namespace
} // namespace orvane
