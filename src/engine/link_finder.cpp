#include "engine/link_finder.h"

#include "engine/legacy_codepage.h"
#include "engine/pcre_pattern.h"

#include <ctime>

namespace orvane {
namespace {

// CPU time used so far by the calling thread, in nanoseconds: other threads busy on the machine
// do not count against a page.
qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// Case-sensitive, code unit for code unit; an empty target is never contained.
bool containsTarget(QStringView text, const QString &target)
{
    return !target.isEmpty() && text.contains(target, Qt::CaseSensitive);
}

// One match of the link pattern. Writes found, then the link, then the anchor, so that a failure
// part way leaves what was already written. Groups are only copied out when they qualify.
void examineMatch(const PcrePattern::Searcher &match, const QString &target, bool &found,
                  QString &link, QString &anchor, std::vector<ShownLink> &qualifying)
{
    if (match.groupCount() < 2) {
        // A bare http(s) address.
        const QStringView address = match.groupView(0);
        if (containsTarget(address, target)) {
            found = true;
            link = address.toString();
            qualifying.push_back(
                {ShownLink::BareAddress, match.matchStart(), match.matchStart() + address.size()});
        }
        return;
    }
    // An anchor element: only its href value is tested.
    const QStringView href = match.groupView(1);
    if (!containsTarget(href, target))
        return;
    found = true;
    link = href.toString();
    const qsizetype hrefStart = href.data() - match.groupView(0).data() + match.matchStart();
    qualifying.push_back({ShownLink::Anchor, hrefStart, hrefStart + href.size()});
    QString stripped;
    Strip_Tags(match.group(2), stripped);
    QByteArray trimmed;
    Trim_Spaces(narrowToLegacy(stripped), trimmed);
    anchor = widenFromLegacy(trimmed);
}

} // namespace

bool Find_Link(const QString &Page, const QString &Target, QString &Link, QString &Anchor,
               bool ContentMode)
{
    ShownLink shown;
    return Find_Link(Page, Target, Link, Anchor, ContentMode, shown);
}

bool Find_Link(const QString &Page, const QString &Target, QString &Link, QString &Anchor,
               bool ContentMode, ShownLink &Shown)
{
    LinkSearchDetail detail;
    const bool found = Find_Link(Page, Target, Link, Anchor, ContentMode, detail);
    if (!detail.qualifying.empty())
        Shown = detail.qualifying.back();
    return found;
}

bool Find_Link(const QString &Page, const QString &Target, QString &Link, QString &Anchor,
               bool ContentMode, LinkSearchDetail &Detail)
{
    bool found = false;
    Detail = {};
    if (ContentMode)
        return containsTarget(Page, Target);

    try {
        // Compiled per call: a few tens of microseconds against a page, and nothing to share
        // between worker threads.
        const PcrePattern pattern(QString::fromUtf16(kLinkPattern));
        PcrePattern::Searcher searcher(pattern, Page);
        int examined = 0;
        qsizetype from = 0;
        const qint64 budgetEnd = threadCpuNs() + qint64{kSearchCpuBudgetMs} * 1'000'000;
        // A search that finds nothing, or that the engine gives up, ends the loop.
        while (searcher.find(from)) {
            if (++examined > kMaxMatchesPerPage) {
                Detail.complete = false;
                break;
            }
            try {
                examineMatch(searcher, Target, found, Link, Anchor, Detail.qualifying);
            } catch (...) {
                // One bad match does not end the search, but it was not examined.
                Detail.complete = false;
            }
            from = searcher.matchEnd();
            if (threadCpuNs() > budgetEnd) {
                Detail.complete = false;
                break;
            }
        }
        if (searcher.gaveUp())
            Detail.complete = false;
    } catch (...) {
        // Compiling or searching failed: keep what was found so far.
        Detail.complete = false;
    }
    return found;
}

void Strip_Tags(QString Text, QString &Result)
{
    Result.clear();
    Result.reserve(Text.size());
    bool inside = false;
    for (const QChar c : std::as_const(Text)) {
        if (c == u'<') {
            inside = true;
        } else if (c == u'>') {
            inside = false;
        } else if (!inside) {
            Result += c;
        }
    }
}

void Trim_Spaces(const QByteArray &Text, QByteArray &Result)
{
    const PcrePattern pattern(QString::fromUtf16(kTrimPattern));
    Result = narrowToLegacy(pattern.removeAll(widenFromLegacy(Text)));
}

} // namespace orvane
