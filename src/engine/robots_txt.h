#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace orvane {

// What one robots.txt lets Googlebot fetch, read the way Google documents it.
class RobotsTxt
{
public:
    // Allows everything: no robots.txt, or one that could not be read.
    RobotsTxt() = default;
    // `text` is the body as served.
    static RobotsTxt parse(QByteArrayView text);
    // `pathAndQuery` is the page address's path, followed by "?" and the query when it has one
    // ("/a/b?c=d"); an empty path counts as "/". The fragment is not part of it.
    bool allows(QByteArrayView pathAndQuery) const;

private:
    struct Rule
    {
        QByteArray pattern; // canonical percent-encoding, without a final "$"
        qsizetype weight;   // the canonical pattern's length, "$" included: the longest match wins
        bool allow;
        bool anchored; // the pattern ended in "$"
    };
    // Googlebot's rules, heaviest first and Allow before Disallow of the same weight, so that the
    // first rule that matches decides.
    std::vector<Rule> m_rules;
};

} // namespace orvane
