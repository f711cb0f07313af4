#include "engine/check_report.h"

#include "engine/page_fetcher.h"
#include "engine/polite_fetch.h"

namespace orvane {

namespace {

// The words of the kinds that have fixed words; Ok, Http and Message are made otherwise.
const char *fixedWords(CheckStatus::Kind kind)
{
    switch (kind) {
    case CheckStatus::TimedOut:
        return kTimedOut;
    case CheckStatus::DownloadIncomplete:
        return kDownloadIncomplete;
    case CheckStatus::PageTooLarge:
        return kPageTooLarge;
    case CheckStatus::UnableToInitialize:
        return kUnableToInitialize;
    case CheckStatus::CannotOpenUrl:
        return kCannotOpenUrl;
    case CheckStatus::BotWall:
        return kBlockedByBotCheck;
    case CheckStatus::OutOfMemory:
        return kOutOfMemory;
    case CheckStatus::CheckFailed:
        return kCheckFailed;
    case CheckStatus::CannotStartWorker:
        return kCannotStartWorker;
    case CheckStatus::Stopped:
        return kStopped;
    case CheckStatus::Ok:
    case CheckStatus::Http:
    case CheckStatus::Message:
        break;
    }
    return nullptr;
}

// "HTTP <code>" exactly as the fetcher words it, or 0.
int httpCodeOf(const QString &text)
{
    const QLatin1String prefix("HTTP ");
    if (!text.startsWith(prefix)) {
        return 0;
    }
    bool ok = false;
    const int code = text.mid(prefix.size()).toInt(&ok);
    return ok && code > 0 && QStringLiteral("HTTP ") + QString::number(code) == text ? code : 0;
}

} // namespace

QString Clean_Status(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar unit : text) {
        const char16_t c = unit.unicode();
        if (c == u' ' || c == u'#' || (c >= u'/' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
            (c >= u'a' && c <= u'z')) {
            result.append(unit);
        }
    }
    return result;
}

CheckStatus CheckStatus::fromFetcher(const QString &text)
{
    if (text.isEmpty()) {
        return {Ok}; // a whole 2xx page has no note
    }
    const QString shown = Clean_Status(text);
    if (shown == QLatin1String("OK")) {
        return {Ok};
    }
    if (const int code = httpCodeOf(shown)) {
        return {Http, code};
    }
    for (int kind = TimedOut; kind < kKindCount; ++kind) {
        const char *words = fixedWords(Kind(kind));
        if (kind != BotWall && words != nullptr && shown == QLatin1String(words)) {
            return {Kind(kind)};
        }
    }
    return {Message, 0, shown};
}

QString CheckStatus::text() const
{
    switch (kind) {
    case Ok:
        return QStringLiteral("OK");
    case Http:
        return QStringLiteral("HTTP ") + QString::number(httpCode);
    case Message:
        return message;
    default:
        return QLatin1String(fixedWords(kind));
    }
}

bool CheckStatus::failed() const
{
    return kind != Ok && !(kind == Message && message.isEmpty());
}

} // namespace orvane
