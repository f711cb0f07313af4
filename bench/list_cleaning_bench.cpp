// Times the list cleaning commands on realistic page lists of 10,000 and 100,000 lines, and the
// line-by-line duplicate pass on 10,000 lines against the fast command (same result required).
#include "listtools/list_cleaning.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>
#include <functional>

using namespace orvane;

namespace {

// Several pages per domain, copies of earlier lines (some with blanks around them), blank lines,
// lines without a scheme and the odd line that is no address at all.
QStringList realisticList(int count)
{
    QRandomGenerator random(42);
    QStringList lines;
    lines.reserve(count);
    const int domains = count / 8;
    for (int i = 0; i < count; ++i) {
        const int kind = random.bounded(100);
        if (kind < 5) {
            lines << (kind < 2 ? QString() : QStringLiteral("   "));
        } else if (kind < 20 && !lines.isEmpty()) {
            const QString earlier = lines.at(random.bounded(static_cast<int>(lines.size())));
            lines << (kind < 17 ? earlier : QStringLiteral(" ") + earlier + QStringLiteral("\t"));
        } else if (kind < 25) {
            lines << QStringLiteral("www.site%1.example/page%2.html")
                         .arg(random.bounded(domains))
                         .arg(random.bounded(50));
        } else if (kind < 26) {
            lines << QStringLiteral("see our partners");
        } else {
            const int domain = random.bounded(domains);
            lines << QStringLiteral("%1://%2site%3.example/blog/post-%4?ref=%5")
                         .arg(random.bounded(4) == 0 ? QStringLiteral("http")
                                                     : QStringLiteral("https"))
                         .arg(random.bounded(3) == 0 ? QStringLiteral("www.") : QString())
                         .arg(domain)
                         .arg(random.bounded(200))
                         .arg(random.bounded(3));
        }
    }
    return lines;
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    using Command = CleaningOutcome (*)(PageList &);
    const std::pair<const char *, Command> commands[] = {
        {"Remove Duplicate URLs", removeDuplicateUrls},
        {"Remove Duplicate Domains", removeDuplicateDomains},
        {"Remove Invalid Urls", removeInvalidUrls},
        {"Trim to Domain", trimToDomain},
        {"Remove Empty Lines", removeEmptyLines},
    };
    for (const int count : {10000, 100000}) {
        const TextLines original = TextLines::fromLines(realisticList(count));
        std::printf("%d lines:\n", count);
        for (const auto &[name, command] : commands) {
            TextLines list = original;
            CleaningOutcome outcome;
            const double ms = timeMs([&] { outcome = command(list); });
            std::printf("  %-26s %8.2f ms  (%s)\n", name, ms, qPrintable(outcome.message));
        }
    }

    const TextLines original = TextLines::fromLines(realisticList(10000));
    TextLines fast = original;
    TextLines slow = original;
    const double fastMs = timeMs([&] { removeDuplicateUrls(fast); });
    const double slowMs = timeMs([&] { removeDuplicateUrlsLineByLine(slow); });
    std::printf(
        "Remove Duplicate URLs on 10000 lines: line by line %.1f ms, fast %.2f ms, ratio %.0fx, "
        "same lines: %s\n",
        slowMs, fastMs, slowMs / fastMs, fast.text() == slow.text() ? "yes" : "NO");
    return fast.text() == slow.text() ? 0 : 1;
}
