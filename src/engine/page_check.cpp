#include "engine/page_check.h"

#include "engine/html_text.h"
#include "engine/link_finder.h"
#include "engine/link_type.h"
#include "engine/page_addresses.h"
#include "engine/robots_rules.h"

namespace orvane {

LinkFindings findLinks(const QString &pageText, const QString &target, bool contentMode)
{
    LinkFindings findings;
    LinkSearchDetail detail;
    findings.found =
        Find_Link(pageText, target, findings.link, findings.anchor, contentMode, detail);
    findings.searchedInFull = detail.complete;
    if (findings.found && !contentMode && !detail.qualifying.empty()) {
        LinkTypeReader reader(pageText);
        const ShownLink &shown = detail.qualifying.back();
        // The first link that counts is as good as any later one; read no further than it.
        const ShownLink *best = nullptr;
        for (const ShownLink &link : detail.qualifying) {
            if (&link == &shown) {
                break;
            }
            if (reader.read(link).passes()) {
                best = &link;
                break;
            }
        }
        // A bare address in an unquoted href is that element's link, with its text.
        const LinkType shownType = reader.read(shown, &findings.anchor);
        findings.linkType = shownType;
        findings.bestPasses = shownType.passes() || best != nullptr;
        if (best != nullptr && !shownType.passes()) {
            const QStringView address(pageText.constData() + best->hrefStart,
                                      best->hrefEnd - best->hrefStart);
            findings.judgedBy = QStringLiteral("judged by: ") + browserText(address) +
                                QStringLiteral(" (") + QLatin1String(kDofollow) + u')';
        }
    }
    // Matched raw, shown (and copied) as a browser shows them.
    findings.link = browserText(findings.link);
    findings.anchor = browserText(findings.anchor);
    return findings;
}

PageReading readingOf(const FetchedPage &fetched)
{
    if (fetched.botWall) {
        return PageReading::NotRead;
    }
    if (fetched.cutOff) {
        return PageReading::CutOff;
    }
    if (fetched.status == 404 || fetched.status == 410) {
        return PageReading::Gone;
    }
    // A whole answer has a note only when its status is not 2xx.
    return fetched.note.isEmpty() ? PageReading::Whole : PageReading::HttpError;
}

void examinePage(const QString &pageText, const FetchedPage &fetched, const QString &url,
                 const QString &target, bool contentMode, bool disallowed, CheckReport &report)
{
    LinkFindings findings = findLinks(pageText, target, contentMode);
    report.found = findings.found;
    report.link = std::move(findings.link);
    report.anchor = std::move(findings.anchor);
    report.linkType = findings.linkType;

    const QString answered = fetched.finalUrl.isEmpty() ? url : fetched.finalUrl;
    const PageAddresses addresses = pageAddresses(pageText, fetched.links, answered);
    report.redirectedTo.clear();
    if (!isSamePage(answered, url)) {
        report.redirectedTo = answered;
    }
    if (!addresses.refresh.isEmpty()) {
        if (!report.redirectedTo.isEmpty()) {
            report.redirectedTo += QStringLiteral("; ");
        }
        report.redirectedTo += QStringLiteral("refresh: ") + addresses.refresh;
    }
    const bool canonicalised =
        !addresses.canonical.isEmpty() && !isSamePage(addresses.canonical, answered);
    report.canonical = canonicalised ? addresses.canonical : QString();
    report.robots = pageRobotsRules(pageText) | headerRobotsRules(fetched.robotsTags) |
                    (disallowed ? RobotsDisallowed : 0) | (canonicalised ? RobotsCanonicalised : 0);

    report.verdict = judge({readingOf(fetched), findings.searchedInFull, report.found, contentMode,
                            findings.bestPasses, report.robots});
    report.verdictNote = report.verdict == Verdict::Live ? std::move(findings.judgedBy) : QString();
}

} // namespace orvane
