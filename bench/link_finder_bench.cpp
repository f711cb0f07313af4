// Link finder timings: throughput over a directory of real HTML pages, the two known worst-case
// pages, and the per-call cost of compiling the patterns. Figures are printed, never judged.
//
//   link_finder_bench [--dir DIR] [--target TEXT] [--repeat N]

#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"
#include "engine/page_check.h"
#include "engine/pcre_pattern.h"
#include "engine/robots_rules.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using Clock = std::chrono::steady_clock;

namespace {

double secondsOf(const std::function<void()> &work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best of `repeat` runs: the least disturbed by the rest of the machine.
double bestSecondsOf(int repeat, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < repeat; ++i)
        best = std::min(best, secondsOf(work));
    return best;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Page
{
    QString name;
    qsizetype bytes = 0;
    QString text;
};

std::vector<Page> loadPages(const QString &directory)
{
    std::vector<Page> pages;
    QDirIterator it(directory, {u"*.html"_s, u"*.htm"_s}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        qsizetype legacySize = 0;
        // The same text the check worker hands over.
        QString text = orvane::pageTextFromBytes(bytes, orvane::legacyCodePage(), legacySize);
        pages.push_back({QDir(directory).relativeFilePath(path), bytes.size(), std::move(text)});
    }
    std::sort(pages.begin(), pages.end(),
              [](const Page &a, const Page &b) { return a.name < b.name; });
    return pages;
}

// Walks every match as Find_Link does, without examining them. Counts a page whose walk the
// engine gave up (match limit, JIT stack) in `givenUp`.
int countMatches(const orvane::PcrePattern &pattern, const QString &page, int &givenUp)
{
    orvane::PcrePattern::Searcher searcher(pattern, page);
    int count = 0;
    qsizetype from = 0;
    while (count <= orvane::kMaxMatchesPerPage && searcher.find(from)) {
        ++count;
        from = searcher.matchEnd();
    }
    givenUp += searcher.gaveUp() ? 1 : 0;
    return count;
}

// What a worker did with a page in link mode before it judged every link: the search, then the
// type of the link shown and the robots rules of the page. Returns the texts' lengths, so that
// nothing is optimised away.
qsizetype examineShownLinkOnly(const QString &page, const QString &target)
{
    QString link;
    QString anchor;
    orvane::ShownLink shown;
    const bool found = orvane::Find_Link(page, target, link, anchor, false, shown);
    const QString linkType = found ? orvane::linkTypeText(page, shown) : QString();
    const QString robots = orvane::robotsText(orvane::pageRobotsRules(page));
    return linkType.size() + robots.size() + (found ? 1 : 0);
}

// What a worker does now: the standing of every link found, the texts as a browser shows them,
// the page's canonical and refresh addresses, the robots rules and the verdict.
qsizetype examineLikeAWorker(const QString &page, const QString &target)
{
    orvane::FetchedPage fetched;
    orvane::CheckReport report;
    orvane::examinePage(page, fetched, u"https://docs.example/page.html"_s, target, false, false,
                        report);
    return report.linkType.text().size() + report.robots + report.link.size() +
           static_cast<int>(report.verdict);
}

void corpus(const QString &directory, const QString &target, int repeat)
{
    const std::vector<Page> pages = loadPages(directory);
    if (pages.empty()) {
        std::printf("corpus: no HTML pages under %s\n", qPrintable(directory));
        return;
    }
    std::vector<double> rates;
    double totalSeconds = 0;
    qsizetype totalBytes = 0;
    int foundPages = 0;
    const Page *slowest = nullptr;
    double slowestSeconds = 0;
    std::vector<double> workerRates;
    std::vector<double> extraMicroseconds;
    std::vector<double> workerMicroseconds;
    double workerSeconds = 0;
    std::vector<double> shownOnlyRates;
    std::vector<double> shownOnlyMicroseconds;
    double shownOnlySeconds = 0;
    for (const Page &page : pages) {
        bool found = false;
        const double seconds = bestSecondsOf(repeat, [&] {
            QString link;
            QString anchor;
            found = orvane::Find_Link(page.text, target, link, anchor, false);
        });
        // Off and on, one after the other on the same page.
        const double shownOnly =
            bestSecondsOf(repeat, [&] { examineShownLinkOnly(page.text, target); });
        const double withStanding =
            bestSecondsOf(repeat, [&] { examineLikeAWorker(page.text, target); });
        shownOnlySeconds += shownOnly;
        shownOnlyRates.push_back(page.bytes / 1e6 / shownOnly);
        shownOnlyMicroseconds.push_back(shownOnly * 1e6);
        workerSeconds += withStanding;
        workerRates.push_back(page.bytes / 1e6 / withStanding);
        workerMicroseconds.push_back(withStanding * 1e6);
        extraMicroseconds.push_back((withStanding - shownOnly) * 1e6);
        foundPages += found ? 1 : 0;
        totalSeconds += seconds;
        totalBytes += page.bytes;
        rates.push_back(page.bytes / 1e6 / seconds);
        if (seconds > slowestSeconds) {
            slowestSeconds = seconds;
            slowest = &page;
        }
    }
    std::printf("corpus: %zu pages, %.2f MB, target \"%s\" found in %d pages\n", pages.size(),
                totalBytes / 1e6, qPrintable(target), foundPages);
    std::printf("corpus: median %.0f MB/s per page, overall %.0f MB/s (best of %d runs each)\n",
                median(rates), totalBytes / 1e6 / totalSeconds, repeat);
    std::printf("corpus: slowest page %s, %.2f MB, %.3f ms\n", qPrintable(slowest->name),
                slowest->bytes / 1e6, slowestSeconds * 1e3);
    std::printf("corpus: off (the shown link's type and the robots rules): median %.0f MB/s per "
                "page, overall %.0f MB/s, median %.1f us per page\n",
                median(shownOnlyRates), totalBytes / 1e6 / shownOnlySeconds,
                median(shownOnlyMicroseconds));
    std::printf("corpus: on (every link judged, texts decoded, addresses, verdict): median %.0f "
                "MB/s per page, overall %.0f MB/s, median %.1f us per page; extra per page: "
                "median %.1f us, mean %.1f us\n",
                median(workerRates), totalBytes / 1e6 / workerSeconds, median(workerMicroseconds),
                median(extraMicroseconds),
                (workerSeconds - shownOnlySeconds) * 1e6 / double(pages.size()));

    // The case-sensitive groups that keep letters ASCII-only, against PCRE2's own caseless
    // matching: the same walk over the same pages with each compiled pattern.
    const QString linkPattern = QString::fromUtf16(orvane::kLinkPattern);
    const orvane::PcrePattern asciiOnly(linkPattern, orvane::CaseFolding::AsciiOnly);
    const orvane::PcrePattern engine(linkPattern, orvane::CaseFolding::Engine);
    double asciiSeconds = 0;
    double engineSeconds = 0;
    long asciiMatches = 0;
    long engineMatches = 0;
    int asciiGivenUp = 0;
    int engineGivenUp = 0;
    for (const Page &page : pages) {
        int matches = 0;
        int givenUp = 0;
        asciiSeconds += bestSecondsOf(repeat, [&] {
            givenUp = 0;
            matches = countMatches(asciiOnly, page.text, givenUp);
        });
        asciiMatches += matches;
        asciiGivenUp += givenUp;
        engineSeconds += bestSecondsOf(repeat, [&] {
            givenUp = 0;
            matches = countMatches(engine, page.text, givenUp);
        });
        engineMatches += matches;
        engineGivenUp += givenUp;
    }
    std::printf("letters: match walk only, ASCII-only groups %.0f MB/s (%ld matches), PCRE2 "
                "caseless %.0f MB/s (%ld matches)\n",
                totalBytes / 1e6 / asciiSeconds, asciiMatches, totalBytes / 1e6 / engineSeconds,
                engineMatches);
    std::printf("corpus: pages whose search the engine gave up: %d (PCRE2 caseless: %d)\n",
                asciiGivenUp, engineGivenUp);
}

QString repeatedTo(const QString &unit, qsizetype size)
{
    QString page;
    page.reserve(size + unit.size());
    while (page.size() < size)
        page += unit;
    page.truncate(size);
    return page;
}

void worstCases(int repeat)
{
    const qsizetype size = 1 << 20;
    const struct
    {
        const char *name;
        QString page;
    } cases[] = {
        {"1 MiB of \"<a\" without \" href\"", repeatedTo(u"<a"_s, size)},
        {"1 MiB of \"<a href=\\\"x\\\">y\" never closed", repeatedTo(u"<a href=\"x\">y"_s, size)},
    };
    for (const auto &c : cases) {
        bool found = false;
        const double seconds = bestSecondsOf(repeat, [&] {
            QString link;
            QString anchor;
            found = orvane::Find_Link(c.page, u"x"_s, link, anchor, false);
        });
        std::printf("worst case: %s: %.2f ms (found: %s)\n", c.name, seconds * 1e3,
                    found ? "yes" : "no");
    }
    // Every link found is judged, in markup built to hurt: the time grows with the page, not with
    // the page times the links.
    for (const qsizetype mib : {4, 8, 16}) {
        const qsizetype links = 9999;
        const QString unit = QString(mib * 1024 * 1024 / links - 17, u'y') + u" https://site.b/ "_s;
        const struct
        {
            const char *name;
            QString page;
        } hostile[] = {
            {"links in one comment", u"<!--"_s + unit.repeated(links)},
            {"\"<!--\" then a link",
             repeatedTo(u"<!--"_s, mib * 1024 * 1024) + u"<a href='https://site.b/'>x</a>"_s},
            {"nested <noscript> then a link",
             repeatedTo(u"<noscript>"_s, mib * 1024 * 1024) +
                 u"<a href='https://site.b/' rel=nofollow>x</a>"_s},
        };
        for (const auto &c : hostile) {
            bool found = false;
            const double seconds = bestSecondsOf(
                repeat, [&] { found = orvane::findLinks(c.page, u"site.b"_s, false).found; });
            std::printf("hostile markup: %2lld MiB, %-32s %8.1f ms (found: %s)\n",
                        static_cast<long long>(mib), c.name, seconds * 1e3, found ? "yes" : "no");
        }
    }
}

void compileCosts()
{
    constexpr int kCalls = 2000;
    const QString linkPattern = QString::fromUtf16(orvane::kLinkPattern);
    const QString trimPattern = QString::fromUtf16(orvane::kTrimPattern);
    bool jit = false;
    const double linkCompile = secondsOf([&] {
        for (int i = 0; i < kCalls; ++i)
            jit = orvane::PcrePattern(linkPattern).usesJit();
    });
    const double trimCompile = secondsOf([&] {
        for (int i = 0; i < kCalls; ++i)
            orvane::PcrePattern{trimPattern};
    });
    const orvane::PcrePattern compiled(linkPattern);
    const QString empty;
    const double searcher = secondsOf([&] {
        for (int i = 0; i < kCalls; ++i)
            orvane::PcrePattern::Searcher(compiled, empty).find(0);
    });
    const double call = secondsOf([&] {
        for (int i = 0; i < kCalls; ++i) {
            QString link;
            QString anchor;
            orvane::Find_Link(QString(), u"x"_s, link, anchor, false);
        }
    });
    const QByteArray padded = "  Click here  ";
    const double trimCall = secondsOf([&] {
        for (int i = 0; i < kCalls; ++i) {
            QByteArray result;
            orvane::Trim_Spaces(padded, result);
        }
    });
    std::printf("compile: link pattern %.1f us per call (rewrite, tables, compile, JIT: %s)\n",
                linkCompile / kCalls * 1e6, jit ? "yes" : "no");
    std::printf("compile: trim pattern %.1f us per call\n", trimCompile / kCalls * 1e6);
    std::printf("compile: searcher set-up (match data, JIT stack) %.1f us per call\n",
                searcher / kCalls * 1e6);
    std::printf("compile: whole Find_Link call on an empty page %.1f us\n", call / kCalls * 1e6);
    std::printf("compile: whole Trim_Spaces call %.1f us (one per qualifying anchor)\n",
                trimCall / kCalls * 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QString directory;
    QString target = u"library/os.html"_s;
    int repeat = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0) {
            directory = QString::fromLocal8Bit(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--target") == 0) {
            target = QString::fromLocal8Bit(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--repeat") == 0) {
            repeat = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    compileCosts();
    worstCases(repeat);
    if (!directory.isEmpty())
        corpus(directory, target, repeat);
    return 0;
}
