#pragma once

// What the fuzz targets check, shared with tests/fuzz_regression_test.cpp so that every input the
// fuzzers ever tripped over (and every seed) is checked again by the ordinary test suite. Each
// check takes raw bytes, runs the routines on them and returns what went wrong, or nothing.

#include "engine/check_worker.h"
#include "engine/legacy_codepage.h"
#include "engine/link_finder.h"
#include "engine/link_type.h"
#include "engine/pcre_pattern.h"
#include "engine/robots_rules.h"
#include "listtools/list_cleaning.h"
#include "listtools/page_list.h"
#include "listtools/url_splitter.h"
#include "support/reference_cleaning.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>
#include <string>

namespace orvane::fuzz {

// ---- helpers -------------------------------------------------------------------------------

// The bytes as UTF-16 code units, two at a time in the machine's order (an odd last byte is
// dropped). Unlike UTF-8 decoding this yields lone surrogates.
inline QString utf16FromBytes(const std::uint8_t *data, std::size_t size)
{
    const qsizetype units = static_cast<qsizetype>(size / 2);
    QString text(units, Qt::Uninitialized);
    if (units > 0)
        std::memcpy(text.data(), data, static_cast<std::size_t>(units) * 2);
    return text;
}

inline QString utf8FromBytes(const std::uint8_t *data, std::size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A text for a message: printable ASCII as it is, everything else as \uXXXX, cut after 120 units.
inline std::string show(QStringView text)
{
    std::string out = "\"";
    const qsizetype shown = text.size() < 120 ? text.size() : 120;
    for (qsizetype i = 0; i < shown; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    out += shown < text.size() ? "\"... (" + std::to_string(text.size()) + " units)" : "\"";
    return out;
}

inline std::string show(const QByteArray &bytes)
{
    std::string out = "\"";
    const qsizetype shown = bytes.size() < 120 ? bytes.size() : 120;
    for (qsizetype i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    out += shown < bytes.size() ? "\"... (" + std::to_string(bytes.size()) + " bytes)" : "\"";
    return out;
}

template <typename Sequence> bool isSubsequence(const Sequence &part, const Sequence &whole)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < part.size(); ++i) {
        while (at < whole.size() && whole[at] != part[i])
            ++at;
        if (at == whole.size())
            return false;
        ++at;
    }
    return true;
}

// Pins the process's legacy code page for a while and puts the previous one back.
class CodePagePin
{
public:
    explicit CodePagePin(CodePage codePage) : m_saved(legacyCodePage())
    {
        setLegacyCodePage(codePage);
    }
    ~CodePagePin() { setLegacyCodePage(m_saved); }
    CodePagePin(const CodePagePin &) = delete;
    CodePagePin &operator=(const CodePagePin &) = delete;

private:
    CodePage m_saved;
};

inline const char *nameOf(CodePage codePage)
{
    return codePage == CodePage::Utf8 ? "UTF-8" : "Windows-1252";
}

// ---- UrlSplitter ---------------------------------------------------------------------------

inline std::string checkOneSplit(const QString &input)
{
    UrlSplitter splitter;
    splitter.setURI(input);
    const QString &uri = splitter.URI();
    if (uri.size() != input.size())
        return "URI " + show(uri) + " has another length than the input " + show(input);
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (uri[i] != input[i] && !(input[i] == u'\\' && uri[i] == u'/')) {
            return "URI " + show(uri) + " differs from the input " + show(input) + " at " +
                   std::to_string(i) + " where the input has no backslash";
        }
    }
    if (UrlSplitter::NormalizePath(input) != uri)
        return "URI " + show(uri) + " is not NormalizePath of the input " + show(input);

    struct Component
    {
        const char *name;
        const QString &text;
    };
    for (const Component &component :
         {Component{"Document", splitter.Document()}, Component{"Protocol", splitter.Protocol()},
          Component{"Port", splitter.Port()}, Component{"Path", splitter.Path()},
          Component{"Host", splitter.Host()}, Component{"Bookmark", splitter.Bookmark()},
          Component{"Username", splitter.Username()}, Component{"Password", splitter.Password()},
          Component{"Params", splitter.Params()}}) {
        if (!uri.contains(component.text)) {
            return std::string(component.name) + " " + show(component.text) +
                   " is not in the URI " + show(uri);
        }
    }

    // A reused instance must give the same parts as a fresh one.
    UrlSplitter reused(QString::fromUtf16(u"x://user:pw@[::2]:1/p/d?q#b"));
    reused.setURI(input);
    if (reused.URI() != uri || reused.Protocol() != splitter.Protocol() ||
        reused.Host() != splitter.Host() || reused.Port() != splitter.Port() ||
        reused.Path() != splitter.Path() || reused.Document() != splitter.Document() ||
        reused.Params() != splitter.Params() || reused.Bookmark() != splitter.Bookmark() ||
        reused.Username() != splitter.Username() || reused.Password() != splitter.Password() ||
        reused.IPVersion() != splitter.IPVersion()) {
        return "a reused splitter keeps something of its last split for " + show(input);
    }
    return {};
}

inline std::string checkUrlSplitter(const std::uint8_t *data, std::size_t size)
{
    std::string error = checkOneSplit(utf8FromBytes(data, size));
    if (error.empty())
        error = checkOneSplit(utf16FromBytes(data, size));
    return error;
}

// ---- Find_Link -----------------------------------------------------------------------------

// The link type describes the link returned: an anchor's href value stands where the search says,
// and every type is one of the texts the column can show.
inline std::string checkLinkType(const QString &page, bool found, const QString &link,
                                 const ShownLink &shown)
{
    if (found == (shown.kind == ShownLink::None))
        return "found and the shown link disagree";
    const QString type = linkTypeText(page, shown);
    if (shown.kind == ShownLink::Anchor &&
        (shown.hrefStart < 0 || shown.hrefEnd > page.size() ||
         QStringView(page).sliced(shown.hrefStart, shown.hrefEnd - shown.hrefStart) != link))
        return "the shown href is not the link " + show(link);
    static const QStringList texts = linkTypeTexts();
    if (!type.isEmpty() && !texts.contains(type))
        return "link type " + show(type);
    if (found != !type.isEmpty())
        return "link type " + show(type) + " for found = " + std::to_string(found);
    return {};
}

// Robots rules never fail, whatever the page; as a header list, every line of it is read.
inline std::string checkRobots(const QString &page)
{
    const int rules = pageRobotsRules(page) | headerRobotsRules(page.toLatin1().split('\n'));
    if (rules < 0 || rules > (RobotsNoIndex | RobotsNoFollow))
        return "robots rules " + std::to_string(rules) + " of " + show(page);
    return {};
}

inline std::string checkOneFind(const QString &page, const QString &target)
{
    if (std::string error = checkRobots(page); !error.empty())
        return error;
    const QString unsetLink = QString::fromUtf16(u"\u0001link not set");
    const QString unsetAnchor = QString::fromUtf16(u"\u0001anchor not set");
    const std::string where = " (page " + show(page) + ", target " + show(target) + ")";

    QString link = unsetLink;
    QString anchor = unsetAnchor;
    const bool inContent = Find_Link(page, target, link, anchor, true);
    if (inContent != (!target.isEmpty() && page.contains(target)))
        return "content mode answers " + std::to_string(inContent) + where;
    if (link != unsetLink || anchor != unsetAnchor)
        return "content mode wrote the link or the anchor" + where;

    // A message is put together once, on the way out: nothing is concatenated per pass.
    // NOLINTBEGIN(performance-inefficient-string-concatenation)
    for (const CodePage codePage : {CodePage::Utf8, CodePage::Windows1252}) {
        const CodePagePin pin(codePage);
        const std::string mode = std::string(" in link mode (") + nameOf(codePage) + ")";
        link = unsetLink;
        anchor = unsetAnchor;
        ShownLink shown;
        const bool found = Find_Link(page, target, link, anchor, false, shown);
        if (std::string error = checkLinkType(page, found, link, shown); !error.empty())
            return error + mode + where;
        // Every link found, read in one pass, reads as it does on its own.
        LinkSearchDetail detail;
        QString detailLink;
        QString detailAnchor;
        Find_Link(page, target, detailLink, detailAnchor, false, detail);
        LinkTypeReader reader(page);
        for (const ShownLink &each : detail.qualifying) {
            if (reader.read(each).text() != linkTypeText(page, each))
                return "one pass and a reading of its own disagree at " +
                       std::to_string(each.hrefStart) + mode + where;
        }
        if (!found) {
            if (link != unsetLink || anchor != unsetAnchor)
                return "nothing found" + mode + " but the link or the anchor was written" + where;
            continue;
        }
        if (target.isEmpty())
            return "an empty target was found" + mode + where;
        if (!link.contains(target))
            return "the link " + show(link) + " found" + mode + " lacks the target" + where;
        if (!page.contains(link))
            return "the link " + show(link) + " found" + mode + " is not in the page" + where;
        if (!inContent)
            return "found" + mode + " but not in content mode" + where;
    }
    // NOLINTEND(performance-inefficient-string-concatenation)
    return {};
}

// The first byte is the target's length in bytes; the target follows, then the page.
inline std::string checkLinkFinder(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return {};
    std::size_t targetSize = data[0];
    const std::uint8_t *rest = data + 1;
    const std::size_t restSize = size - 1;
    if (targetSize > restSize)
        targetSize = restSize;
    const std::uint8_t *page = rest + targetSize;
    const std::size_t pageSize = restSize - targetSize;

    std::string error =
        checkOneFind(utf8FromBytes(page, pageSize), utf8FromBytes(rest, targetSize));
    if (error.empty())
        error = checkOneFind(utf16FromBytes(page, pageSize), utf16FromBytes(rest, targetSize));
    return error;
}

// ---- Strip_Tags and Trim_Spaces ------------------------------------------------------------

inline std::string checkOneStrip(const QString &input)
{
    QString result = QString::fromUtf16(u"left over from before");
    Strip_Tags(input, result);
    if (result.contains(u'<') || result.contains(u'>'))
        return "Strip_Tags left a bracket: " + show(result) + " from " + show(input);
    if (!isSubsequence(result, input))
        return "Strip_Tags made " + show(result) + " that is not in " + show(input);
    if (!input.contains(u'<')) {
        QString expected = input;
        expected.remove(u'>');
        if (result != expected)
            return "Strip_Tags made " + show(result) + " of tag-free " + show(input);
    }
    return {};
}

// Space, tab, LF, FF and CR: the white space Trim_Spaces removes.
inline bool isTrimmedSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

// Line ends that are not white space: the pattern's "$" also matches just before one of them when
// it ends the text, so white space right before such a last character goes too.
inline bool isOtherLineEnd(char16_t c)
{
    return c == u'\v' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// What Trim_Spaces should make of a text, worked out by hand.
inline QString trimmedByHand(const QString &text)
{
    qsizetype begin = 0;
    while (begin < text.size() && isTrimmedSpace(text[begin].unicode()))
        ++begin;
    if (begin == text.size())
        return {};
    qsizetype end = text.size();
    QString tail;
    if (isOtherLineEnd(text[end - 1].unicode())) {
        tail = text.right(1);
        --end;
    }
    while (end > begin && isTrimmedSpace(text[end - 1].unicode()))
        --end;
    return text.mid(begin, end - begin) + tail;
}

inline std::string checkTrim(const QByteArray &input)
{
    for (const CodePage codePage : {CodePage::Utf8, CodePage::Windows1252}) {
        const CodePagePin pin(codePage);
        QByteArray result = QByteArrayLiteral("left over from before");
        Trim_Spaces(input, result);
        const QByteArray expected =
            narrowToLegacy(trimmedByHand(widenFromLegacy(input, codePage)), codePage);
        if (result != expected) {
            return std::string("Trim_Spaces (") + nameOf(codePage) + ") made " + show(result) +
                   " of " + show(input) + ", expected " + show(expected);
        }
        if (codePage == CodePage::Windows1252 && !isSubsequence(result, input))
            return "Trim_Spaces (Windows-1252) made " + show(result) + " that is not in " +
                   show(input);
    }
    return {};
}

inline std::string checkStripTrim(const std::uint8_t *data, std::size_t size)
{
    std::string error = checkOneStrip(utf8FromBytes(data, size));
    if (error.empty())
        error = checkOneStrip(utf16FromBytes(data, size));
    if (error.empty())
        error = checkTrim(bytesOf(data, size));
    return error;
}

// ---- Clean_Status --------------------------------------------------------------------------

inline bool isStatusCharacter(char16_t c)
{
    return c == u' ' || c == u'#' || (c >= u'/' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
           (c >= u'a' && c <= u'z');
}

inline std::string checkOneStatus(const QString &input)
{
    const QString result = Clean_Status(input);
    qsizetype allowed = 0;
    for (const QChar c : input)
        allowed += isStatusCharacter(c.unicode()) ? 1 : 0;
    for (const QChar c : result) {
        if (!isStatusCharacter(c.unicode()))
            return "Clean_Status kept " + show(QStringView(&c, 1)) + " in " + show(result);
    }
    if (!isSubsequence(result, input))
        return "Clean_Status made " + show(result) + " that is not in " + show(input);
    if (result.size() != allowed)
        return "Clean_Status dropped allowed characters: " + show(result) + " of " + show(input);
    return {};
}

inline std::string checkCleanStatus(const std::uint8_t *data, std::size_t size)
{
    std::string error = checkOneStatus(utf8FromBytes(data, size));
    if (error.empty())
        error = checkOneStatus(utf16FromBytes(data, size));
    return error;
}

// ---- code page conversions -----------------------------------------------------------------

inline qsizetype surrogatePairs(const QString &text)
{
    qsizetype pairs = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            ++pairs;
            ++i;
        }
    }
    return pairs;
}

// UTF-8 decoded slowly, straight from the table of well-formed byte sequences, to hold the real
// decoder to. At each byte, the longest run that begins some well-formed sequence is either all of
// it (one character) or a maximal subpart of an ill-formed sequence (one U+FFFD); a byte that
// begins none is one U+FFFD too. A leading U+FEFF is kept.
inline QString utf8ByTheTable(const QByteArray &bytes)
{
    struct Form
    {
        int length;
        unsigned char low[4];
        unsigned char high[4];
    };
    static constexpr Form kForms[] = {
        {1, {0x00}, {0x7F}},
        {2, {0xC2, 0x80}, {0xDF, 0xBF}},
        {3, {0xE0, 0xA0, 0x80}, {0xE0, 0xBF, 0xBF}},
        {3, {0xE1, 0x80, 0x80}, {0xEC, 0xBF, 0xBF}},
        {3, {0xED, 0x80, 0x80}, {0xED, 0x9F, 0xBF}},
        {3, {0xEE, 0x80, 0x80}, {0xEF, 0xBF, 0xBF}},
        {4, {0xF0, 0x90, 0x80, 0x80}, {0xF0, 0xBF, 0xBF, 0xBF}},
        {4, {0xF1, 0x80, 0x80, 0x80}, {0xF3, 0xBF, 0xBF, 0xBF}},
        {4, {0xF4, 0x80, 0x80, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF}},
    };
    QString text;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype taken = 1;
        char32_t code = 0xFFFD;
        for (const Form &form : kForms) {
            int matched = 0;
            while (matched < form.length && at + matched < bytes.size()) {
                const auto byte = static_cast<unsigned char>(bytes[at + matched]);
                if (byte < form.low[matched] || byte > form.high[matched])
                    break;
                ++matched;
            }
            if (matched == 0)
                continue;
            taken = matched;
            if (matched == form.length) {
                // The lead byte keeps 7, 5, 4 or 3 bits, each following byte 6.
                const unsigned leadBits = form.length == 1 ? 0x7FU : 0xFFU >> (form.length + 1);
                code = static_cast<unsigned char>(bytes[at]) & leadBits;
                for (int k = 1; k < form.length; ++k)
                    code = (code << 6) | (static_cast<unsigned char>(bytes[at + k]) & 0x3FU);
            }
            break;
        }
        // Not QString::fromUcs4: that would drop a leading U+FEFF.
        if (code < 0x10000) {
            text += QChar(static_cast<char16_t>(code));
        } else {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        }
        at += taken;
    }
    return text;
}

inline std::string checkNarrowing(const QString &text)
{
    const QByteArray narrow = narrowToLegacy(text, CodePage::Windows1252);
    if (narrow.size() != text.size() - surrogatePairs(text)) {
        return "Windows-1252 narrowing of " + show(text) + " gave " +
               std::to_string(narrow.size()) + " bytes";
    }
    for (qsizetype i = 0, at = 0; i < text.size(); ++i, ++at) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 && narrow[at] != static_cast<char>(c))
            return "Windows-1252 narrowing changed ASCII in " + show(text);
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    if (narrowToLegacy(text, CodePage::Utf8) != text.toUtf8())
        return "UTF-8 narrowing of " + show(text) + " is not toUtf8()";
    return {};
}

inline std::string checkCodePages(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const QString decoded = utf8ByTheTable(bytes);

    // Windows-1252: every byte widens to one unit and comes back.
    const QString wide = widenFromLegacy(bytes, CodePage::Windows1252);
    if (wide.size() != bytes.size())
        return "Windows-1252 widening of " + show(bytes) + " changed the length";
    const QString again =
        widenFromLegacy(narrowToLegacy(wide, CodePage::Windows1252), CodePage::Windows1252);
    if (again != wide)
        return "Windows-1252 round trip of " + show(bytes) + " gave " + show(again);

    // UTF-8: widening decodes as the table says, and a decoded text survives narrowing and
    // widening.
    const QString widened = widenFromLegacy(bytes, CodePage::Utf8);
    if (widened != decoded)
        return "UTF-8 widening of " + show(bytes) + " gave " + show(widened) + " instead of " +
               show(decoded);
    const QString back = widenFromLegacy(narrowToLegacy(decoded, CodePage::Utf8), CodePage::Utf8);
    if (back != decoded)
        return "UTF-8 round trip of " + show(decoded) + " gave " + show(back);

    for (const QString &text : {decoded, utf16FromBytes(data, size)}) {
        if (std::string error = checkNarrowing(text); !error.empty())
            return error;
    }

    for (const CodePage codePage : {CodePage::Utf8, CodePage::Windows1252}) {
        qsizetype legacySize = -1;
        const QString page = pageTextFromBytes(bytes, codePage, legacySize);
        const QByteArray legacy = narrowToLegacy(decoded, codePage);
        if (legacySize != legacy.size()) {
            return std::string("pageTextFromBytes (") + nameOf(codePage) + ") measured " +
                   std::to_string(legacySize) + " bytes instead of " +
                   std::to_string(legacy.size()) + " for " + show(bytes);
        }
        if (page != widenFromLegacy(legacy, codePage)) {
            return std::string("pageTextFromBytes (") + nameOf(codePage) + ") made " + show(page) +
                   " of " + show(bytes);
        }
    }
    return {};
}

// ---- list cleaning -------------------------------------------------------------------------

// The line-by-line passes are quadratic: longer inputs are not checked.
inline constexpr std::size_t kMaxListBytes = std::size_t{12} * 1024;
inline constexpr int kMaxListLines = 256;

inline bool hasHost(const QString &line)
{
    const QString address = trimmedText(line);
    if (address.isEmpty())
        return false;
    UrlSplitter splitter(address);
    return !splitter.Host().isEmpty();
}

inline std::string checkListCleaning(const std::uint8_t *data, std::size_t size)
{
    if (size > kMaxListBytes)
        return {};
    const QString text = utf8FromBytes(data, size);
    const TextLines original(text);
    const int before = original.lineCount();
    if (before > kMaxListLines)
        return {};
    const QStringList originalLines = original.lines();

    using Command = CleaningOutcome (*)(PageList &);
    using Pass = void (*)(PageList &);
    struct Pair
    {
        const char *name;
        Command fast;
        Pass lineByLine;
    };
    for (const Pair &pair :
         {Pair{"duplicate URLs", removeDuplicateUrls, removeDuplicateUrlsLineByLine},
          Pair{"duplicate domains", removeDuplicateDomains, removeDuplicateDomainsLineByLine}}) {
        TextLines quick = original;
        TextLines slow = original;
        const CleaningOutcome outcome = pair.fast(quick);
        pair.lineByLine(slow);
        if (quick.text() != slow.text()) {
            return std::string("removing ") + pair.name + " left " + show(quick.text()) +
                   ", line by line " + show(slow.text()) + ", of " + show(text);
        }
        if (outcome.removed != before - slow.lineCount())
            return std::string("removing ") + pair.name + " miscounted in " + show(text);
        if (!isSubsequence(quick.lines(), originalLines))
            return std::string("removing ") + pair.name + " changed lines of " + show(text);
    }

    {
        TextLines list = original;
        const CleaningOutcome outcome = removeInvalidUrls(list);
        if (outcome.removed != before - list.lineCount())
            return "removing invalid URLs miscounted in " + show(text);
        if (!isSubsequence(list.lines(), originalLines))
            return "removing invalid URLs changed lines of " + show(text);
        for (int i = 0; i < list.lineCount(); ++i) {
            const QString line = list.line(i);
            if (!trimmedText(line).isEmpty() && !hasHost(line))
                return "removing invalid URLs kept " + show(line) + " of " + show(text);
        }
    }

    {
        TextLines list = original;
        const CleaningOutcome outcome = removeEmptyLines(list);
        QStringList expected;
        for (int i = 0; i < before; ++i) {
            if (!trimmedText(original.line(i)).isEmpty())
                expected << originalLines.at(i);
        }
        if (list.lines() != expected)
            return "removing empty lines left " + show(list.text()) + " of " + show(text);
        if (outcome.removed != before - list.lineCount())
            return "removing empty lines miscounted in " + show(text);
    }

    {
        TextLines list = original;
        const CleaningOutcome outcome = trimToDomain(list);
        if (outcome.removed != 0 || list.lineCount() != before)
            return "trimming to the domain removed lines of " + show(text);
        const QStringList lines = list.lines();
        for (int i = 0; i < before; ++i) {
            const QString address = trimmedText(original.line(i));
            QString expected = originalLines.at(i);
            if (!address.isEmpty()) {
                const UrlSplitter splitter(address);
                if (!splitter.Host().isEmpty())
                    expected = splitter.Protocol() + u"://" + splitter.Host();
            }
            if (lines.at(i) != expected) {
                return "trimming to the domain made " + show(lines.at(i)) + " instead of " +
                       show(expected) + " in " + show(text);
            }
        }
    }
    return {};
}

// ---- rewritePattern ------------------------------------------------------------------------

// PCRE2 given the pattern as written, with PcrePattern's options and its own caseless mode and
// "\s": on ASCII subjects without VT that is what the rewrite spells out. The interpreter, with a
// small match limit: the fuzzer's patterns can backtrack a lot.
class PlainPcre2
{
public:
    explicit PlainPcre2(const QString &pattern)
    {
        pcre2_compile_context *context = pcre2_compile_context_create(nullptr);
        pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.utf16()), pattern.size(),
                               PCRE2_CASELESS | PCRE2_DOTALL | PCRE2_UTF, &error, &offset, context);
        pcre2_compile_context_free(context);
        if (m_code == nullptr)
            return;
        m_data = pcre2_match_data_create_from_pattern(m_code, nullptr);
        m_context = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(m_context, 100'000);
    }
    ~PlainPcre2()
    {
        pcre2_match_context_free(m_context);
        pcre2_match_data_free(m_data);
        pcre2_code_free(m_code);
    }
    PlainPcre2(const PlainPcre2 &) = delete;
    PlainPcre2 &operator=(const PlainPcre2 &) = delete;

    bool compiled() const { return m_code != nullptr; }
    int match(const QString &subject, qsizetype from)
    {
        return pcre2_match(m_code, reinterpret_cast<PCRE2_SPTR>(subject.utf16()), subject.size(),
                           from, PCRE2_NOTEMPTY, m_data, m_context);
    }
    // Where a group of the last match starts or ends; -1 when it did not take part.
    qsizetype bound(int index) const
    {
        const PCRE2_SIZE value = pcre2_get_ovector_pointer(m_data)[index];
        return value == PCRE2_UNSET ? -1 : static_cast<qsizetype>(value);
    }

private:
    pcre2_code *m_code = nullptr;
    pcre2_match_data *m_data = nullptr;
    pcre2_match_context *m_context = nullptr;
};

// The rewritten pattern finds what PCRE2 finds, group for group, until either gives up.
inline std::string compareMatches(const PcrePattern &rewritten, PlainPcre2 &plain,
                                  const QString &subject)
{
    PcrePattern::Searcher searcher(rewritten, subject);
    qsizetype from = 0;
    for (int n = 0; n < 64; ++n) {
        const int result = plain.match(subject, from);
        const bool found = searcher.find(from);
        if (searcher.gaveUp() || (result < 0 && result != PCRE2_ERROR_NOMATCH))
            return {};
        const std::string at = " from " + std::to_string(from);
        if (found != (result > 0))
            return std::string(found ? "a match PCRE2 does not find" : "no match") + at;
        if (!found)
            return {};
        if (searcher.groupCount() != result)
            return std::to_string(searcher.groupCount()) + " groups instead of " +
                   std::to_string(result) + at;
        const QChar *matchData = searcher.groupView(0).data();
        for (int i = 0; i < result; ++i) {
            const QStringView view = searcher.groupView(i);
            const qsizetype start =
                view.isNull() ? -1 : view.data() - matchData + searcher.matchStart();
            const qsizetype end = view.isNull() ? -1 : start + view.size();
            if (start != plain.bound(2 * i) || end != plain.bound(2 * i + 1))
                return "group " + std::to_string(i) + " is " + show(view) + at;
        }
        from = searcher.matchEnd();
    }
    return {};
}

inline std::string compareWithPlainPcre2(const QString &pattern, CaseFolding folding,
                                         PlainPcre2 &plain, const QString &subject)
{
    const char *mode = folding == CaseFolding::AsciiOnly ? " (ASCII-only)" : " (engine)";
    try {
        const PcrePattern rewritten(pattern, folding);
        if (!plain.compiled())
            return std::string("the rewrite compiles what PCRE2 refuses") + mode;
        if (std::string error = compareMatches(rewritten, plain, subject); !error.empty())
            return error + mode;
    } catch (const PcreError &error) {
        if (plain.compiled())
            return std::string("the rewrite does not compile: ") + error.what() + mode;
    }
    return {};
}

// The first byte is the pattern's length; the pattern follows (one character per byte, so that
// non-ASCII ones come too), then the subject: ASCII, with VT made a letter and no CR LF pair (a
// search does not start at the LF of one when the pattern names neither CR nor LF, as the
// rewritten "\s" does).
inline std::string checkPatternRewrite(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return {};
    const std::size_t patternSize = data[0] < size ? data[0] : size - 1;
    const QString pattern = QString::fromLatin1(reinterpret_cast<const char *>(data + 1),
                                                static_cast<qsizetype>(patternSize));
    QString subject;
    for (std::size_t i = 1 + patternSize; i < size && subject.size() < 1024; ++i) {
        const char16_t c = data[i] & 0x7F;
        const bool crLf = c == u'\n' && subject.endsWith(u'\r');
        subject += QChar(c == u'\v' || crLf ? u'v' : c);
    }
    const std::string where = " (pattern " + show(pattern) + ", subject " + show(subject) + ")";

    int refusals = 0;
    for (const CaseFolding folding : {CaseFolding::AsciiOnly, CaseFolding::Engine}) {
        try {
            const QString rewritten = rewritePattern(pattern, folding);
            for (const QChar c : rewritten) {
                if (c.unicode() > 0x7F)
                    return "the rewrite made " + show(rewritten) + where;
            }
        } catch (const std::invalid_argument &) {
            ++refusals;
        }
    }
    if (refusals == 1)
        return "only one case folding was refused" + where;
    if (refusals == 2)
        return {};

    PlainPcre2 plain(pattern);
    for (const CaseFolding folding : {CaseFolding::AsciiOnly, CaseFolding::Engine}) {
        if (std::string error = compareWithPlainPcre2(pattern, folding, plain, subject);
            !error.empty())
            return error + where;
    }
    return {};
}

// ---- the list of checks --------------------------------------------------------------------

using CheckFunction = std::string (*)(const std::uint8_t *, std::size_t);

struct Check
{
    const char *name; // of the fuzz target and of its corpus folder
    CheckFunction run;
};

inline constexpr Check kChecks[] = {
    {"url_splitter", checkUrlSplitter},       {"link_finder", checkLinkFinder},
    {"strip_trim", checkStripTrim},           {"clean_status", checkCleanStatus},
    {"legacy_codepage", checkCodePages},      {"list_cleaning", checkListCleaning},
    {"pattern_rewrite", checkPatternRewrite},
};

// For the fuzz targets: a failed check is a crash, with the reason on stderr.
inline void abortOnFailure(const std::string &error)
{
    if (error.empty())
        return;
    std::fprintf(stderr, "check failed: %s\n", error.c_str());
    std::abort();
}

} // namespace orvane::fuzz
