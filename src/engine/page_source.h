#pragma once

#include "engine/page_fetcher.h"
#include "engine/polite_fetch.h"

#include <QString>

namespace orvane {

// Where a worker gets its pages from: the internet in the program, canned pages in some tests.
// Same contract as fetchPolitely: throws DownloadError when no page arrived.
class PageSource
{
public:
    virtual ~PageSource() = default;
    virtual FetchedPage fetch(const QString &url, int timeOutMs,
                              const CheckControl &control) const = 0;
};

class InternetPageSource final : public PageSource
{
public:
    FetchedPage fetch(const QString &url, int timeOutMs, const CheckControl &control) const override
    {
        return fetchPolitely(url, timeOutMs, control);
    }
};

} // namespace orvane
