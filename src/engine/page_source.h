#pragma once

#include "engine/page_fetcher.h"

#include <QByteArray>
#include <QString>

namespace orvane {

// Where a worker gets its page from: the internet in the program, canned pages in some tests.
// Same contract as Download_Page.
class PageSource
{
public:
    virtual ~PageSource() = default;
    virtual QString fetch(const QString &url, QByteArray &page, int timeOutMs) const = 0;
};

class InternetPageSource final : public PageSource
{
public:
    QString fetch(const QString &url, QByteArray &page, int timeOutMs) const override
    {
        return Download_Page(url, page, timeOutMs);
    }
};

} // namespace orvane
