#pragma once

#include "engine/page_fetcher.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace orvane {

// Where a worker gets its page from: the internet in the program, canned pages in some tests.
// Same contract as Download_Page; robotsTags receives the X-Robots-Tag header values of the final
// response.
class PageSource
{
public:
    virtual ~PageSource() = default;
    virtual QString fetch(const QString &url, QByteArray &page, int timeOutMs,
                          QByteArrayList &robotsTags) const = 0;
};

class InternetPageSource final : public PageSource
{
public:
    QString fetch(const QString &url, QByteArray &page, int timeOutMs,
                  QByteArrayList &robotsTags) const override
    {
        return Download_Page(url, page, timeOutMs, &robotsTags);
    }
};

} // namespace orvane
