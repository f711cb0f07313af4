#pragma once

#include "engine/page_fetcher.h"
#include "engine/page_source.h"

#include <QThread>
#include <atomic>
#include <map>
#include <new>

namespace orvane::testing {

// Canned pages by address, so a worker can be driven through every outcome. An address it has no
// page for (robots.txt among others) cannot be opened.
class CannedSource final : public PageSource
{
public:
    enum class Failure { None, Download, OutOfMemory, Other };
    struct Page
    {
        QByteArray body;
        QString note;
        Failure failure = Failure::None;
        QString message;
        int delayMs = 0;
        QByteArrayList robotsTags;
    };

    void add(const QString &url, Page page) { m_pages[url] = std::move(page); }

    FetchedPage fetch(const QString &url, int timeOutMs,
                      const CheckControl & /*control*/) const override
    {
        m_lastTimeOut = timeOutMs;
        const auto found = m_pages.find(url);
        if (found == m_pages.end()) {
            throw DownloadError(kCannotOpenUrl);
        }
        const Page &canned = found->second;
        const int live = ++m_inFetch;
        int peak = m_peakInFetch.load();
        while (live > peak && !m_peakInFetch.compare_exchange_weak(peak, live)) {
        }
        if (canned.delayMs > 0) {
            QThread::msleep(static_cast<unsigned long>(canned.delayMs));
        }
        --m_inFetch;
        switch (canned.failure) {
        case Failure::Download:
            throw DownloadError(canned.message.toStdString());
        case Failure::OutOfMemory:
            throw std::bad_alloc();
        case Failure::Other:
            throw 42;
        case Failure::None:
            break;
        }
        FetchedPage page{canned.body, canned.note, canned.robotsTags};
        // As the fetcher words them: "HTTP nnn" for a whole answer outside 2xx, three notes for
        // one cut short.
        page.status = canned.note.startsWith(u"HTTP ") ? canned.note.sliced(5).toInt() : 200;
        page.cutOff = canned.note == QLatin1String(kTimedOut) ||
                      canned.note == QLatin1String(kDownloadIncomplete) ||
                      canned.note == QLatin1String(kPageTooLarge);
        return page;
    }

    int lastTimeOut() const { return m_lastTimeOut; }
    int peakInFetch() const { return m_peakInFetch; }

private:
    std::map<QString, Page> m_pages;
    mutable std::atomic<int> m_lastTimeOut{-1};
    mutable std::atomic<int> m_inFetch{0};
    mutable std::atomic<int> m_peakInFetch{0};
};

} // namespace orvane::testing
