#include "support/reference_cleaning.h"

#include "listtools/list_cleaning.h"
#include "listtools/url_splitter.h"

#include <set>

namespace orvane {

void removeDuplicateUrlsLineByLine(PageList &list)
{
    for (int index = list.lineCount() - 1; index >= 0; --index) {
        if (cauta_url(list, list.line(index), index)) {
            list.deleteLine(index);
        }
    }
}

void removeDuplicateDomainsLineByLine(PageList &list)
{
    UrlSplitter splitter;
    std::set<QString> seenHosts;
    int index = 0;
    while (index < list.lineCount()) {
        const QString address = trimmedText(list.line(index));
        if (!address.isEmpty()) {
            splitter.setURI(address);
            // Hosts are equal when they are after case folding.
            if (!splitter.Host().isEmpty() &&
                !seenHosts.insert(splitter.Host().toCaseFolded()).second) {
                list.deleteLine(index);
                continue; // the next line has moved up into this index
            }
        }
        ++index;
    }
}

} // namespace orvane
