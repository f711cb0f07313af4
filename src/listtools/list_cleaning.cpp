#include "listtools/list_cleaning.h"

#include "listtools/url_splitter.h"

#include <QScopeGuard>
#include <QSet>
#include <functional>

namespace orvane {

namespace {

constexpr char kUrlsRemoved[] = " Urls Removed";
constexpr char kLinesRemoved[] = " Lines Removed";

// Counts, suspends repainting around the pass, counts again and words the message.
CleaningOutcome runCommand(PageList &list, const char *suffix,
                           const std::function<PageListEdits(PageList &)> &decide)
{
    const int before = list.lineCount();
    {
        list.suspendRepaint();
        const auto resumed = qScopeGuard([&list] { list.resumeRepaint(); }); // also on a failure
        const PageListEdits edits = decide(list);
        if (!edits.isEmpty()) {
            list.applyEdits(edits);
        }
    }
    const int removed = before - list.lineCount();
    return {removed, QString::number(removed) + QLatin1String(suffix)};
}

// Host equality ignores letter case.
QString hostKey(const QString &host)
{
    return host.toCaseFolded();
}

// Marks every line whose key (empty: the line takes no part) was seen on an earlier line.
PageListEdits deleteRepeatedKeys(PageList &lines,
                                 const std::function<QString(const QString &)> &keyOf)
{
    const int count = lines.lineCount();
    PageListEdits edits;
    edits.deleted.resize(count);
    QSet<QString> seen;
    seen.reserve(count);
    for (int index = 0; index < count; ++index) {
        const QString address = trimmedText(lines.line(index));
        if (address.isEmpty()) {
            continue;
        }
        const QString key = keyOf(address);
        if (key.isEmpty()) {
            continue;
        }
        if (seen.contains(key)) {
            edits.deleted[index] = true;
        } else {
            seen.insert(key);
        }
    }
    return edits;
}

} // namespace

CleaningOutcome removeDuplicateUrls(PageList &list)
{
    return runCommand(list, kUrlsRemoved, [](PageList &lines) {
        return deleteRepeatedKeys(lines, [](const QString &address) { return address; });
    });
}

CleaningOutcome removeDuplicateDomains(PageList &list)
{
    return runCommand(list, kUrlsRemoved, [](PageList &lines) {
        UrlSplitter splitter;
        return deleteRepeatedKeys(lines, [&splitter](const QString &address) {
            splitter.setURI(address);
            return splitter.Host().isEmpty() ? QString() : hostKey(splitter.Host());
        });
    });
}

CleaningOutcome removeInvalidUrls(PageList &list)
{
    return runCommand(list, kUrlsRemoved, [](PageList &lines) {
        const int count = lines.lineCount();
        PageListEdits edits;
        edits.deleted.resize(count);
        UrlSplitter splitter;
        for (int index = 0; index < count; ++index) {
            const QString address = trimmedText(lines.line(index));
            if (address.isEmpty()) {
                continue;
            }
            splitter.setURI(address);
            edits.deleted[index] = splitter.Host().isEmpty();
        }
        return edits;
    });
}

CleaningOutcome trimToDomain(PageList &list)
{
    return runCommand(list, kUrlsRemoved, [](PageList &lines) {
        const int count = lines.lineCount();
        PageListEdits edits;
        UrlSplitter splitter;
        for (int index = 0; index < count; ++index) {
            const QString address = trimmedText(lines.line(index));
            if (address.isEmpty()) {
                continue;
            }
            splitter.setURI(address);
            if (!splitter.Host().isEmpty()) {
                edits.replaced.emplace(index, splitter.Protocol() + u"://" + splitter.Host());
            }
        }
        return edits;
    });
}

CleaningOutcome removeEmptyLines(PageList &list)
{
    return runCommand(list, kLinesRemoved, [](PageList &lines) {
        const int count = lines.lineCount();
        PageListEdits edits;
        edits.deleted.resize(count);
        for (int index = 0; index < count; ++index) {
            edits.deleted[index] = trimmedText(lines.line(index)).isEmpty();
        }
        return edits;
    });
}

bool cauta_url(const PageList &list, const QString &Url_Cautat, int Skip_Position)
{
    const QString wanted = trimmedText(Url_Cautat);
    const int count = list.lineCount();
    for (int index = 0; index < count; ++index) {
        if (index == Skip_Position) {
            continue;
        }
        const QString other = trimmedText(list.line(index));
        if (!other.isEmpty() && other == wanted) {
            return true;
        }
    }
    return false;
}

} // namespace orvane
