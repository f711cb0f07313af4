#include "engine/verdict.h"

#include "engine/robots_rules.h"

namespace orvane {

Verdict judge(const VerdictFacts &facts)
{
    if (facts.reading == PageReading::Gone) {
        return Verdict::Lost; // whatever its error page carries
    }
    if (!facts.found) {
        const bool known = facts.reading == PageReading::Whole && facts.searchedInFull;
        return known ? Verdict::Lost : Verdict::Unverified;
    }
    if (facts.reading == PageReading::NotRead) {
        return Verdict::Unverified; // nothing was read to be found
    }
    // A page's nofollow holds for every link on it; a fragment need not be a link.
    const int weakening = RobotsNoIndex | RobotsDisallowed | RobotsCanonicalised |
                          (facts.contentMode ? 0 : RobotsNoFollow);
    const bool passes = facts.contentMode || facts.linkPasses;
    if ((facts.robots & weakening) != 0 || facts.reading == PageReading::HttpError || !passes) {
        return Verdict::Weak;
    }
    // A page cut short still showed the link in what arrived of its 2xx answer.
    return Verdict::Live;
}

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Unverified:
        return QStringLiteral("Unverified");
    case Verdict::Lost:
        return QStringLiteral("Lost");
    case Verdict::Weak:
        return QStringLiteral("Weak");
    case Verdict::Live:
        return QStringLiteral("Live");
    case Verdict::None:
        break;
    }
    return {};
}

QStringList verdictTexts()
{
    return {verdictText(Verdict::Live), verdictText(Verdict::Weak), verdictText(Verdict::Lost),
            verdictText(Verdict::Unverified)};
}

} // namespace orvane
