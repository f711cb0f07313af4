#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace orvane {

// One compiled PCRE2 (16-bit) pattern with the link finder's configuration: caseless, dot-all, UTF,
// newline ANY, its own ASCII-only character tables, JIT when the machine has it, and "\s" meaning
// exactly space, tab, LF, FF and CR. Searches are not-empty and bounded by kMatchLimit.
class PcrePattern
{
public:
    static constexpr unsigned kMatchLimit = 10'000'000;

    // Throws std::runtime_error when the pattern does not compile.
    explicit PcrePattern(const QString &pattern);
    ~PcrePattern();
    PcrePattern(const PcrePattern &) = delete;
    PcrePattern &operator=(const PcrePattern &) = delete;

    bool usesJit() const;

    struct Match {
        qsizetype start = 0;
        qsizetype end = 0;
        int groupCount = 0; // one more than the highest group that took part
        QString group(int index) const;
        // filled by the search
        const QString *subject = nullptr;
        qsizetype groupStart[3] = {-1, -1, -1};
        qsizetype groupEnd[3] = {-1, -1, -1};
    };

    // A searcher holds the match data for repeated searches of one subject. The subject must be
    // valid UTF-16 (checked once, in the constructor; invalid subjects never match).
    class Searcher
    {
    public:
        Searcher(const PcrePattern &pattern, const QString &subject);
        ~Searcher();
        Searcher(const Searcher &) = delete;
        Searcher &operator=(const Searcher &) = delete;
        // The next match at or after `from`; nothing when there is none, or when the engine gave up
        // (match limit, JIT stack).
        std::optional<Match> next(qsizetype from);

    private:
        struct Impl;
        std::unique_ptr<Impl> d;
    };

    // Every match removed, left to right.
    QString removeAll(const QString &subject) const;

    // The pattern text as compiled (after the rewrite of "\s").
    QString compiledText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Rewrites every "\s" into the five characters it must mean. Exposed for tests.
QString rewriteWhiteSpaceEscapes(const QString &pattern);

} // namespace orvane
