#pragma once

#include "engine/pattern_rewrite.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace orvane {

// Whether a pattern is compiled for PCRE2's JIT.
enum class JitMode {
    IfAvailable, // the JIT when the machine has it, else the interpreter
    Off,         // always the interpreter (for comparing the two)
};

// A pattern that failed to compile or could not be set up.
class PcreError : public std::runtime_error
{
public:
    PcreError(const std::string &what, int code) : std::runtime_error(what), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// One compiled PCRE2 (16-bit) pattern with the link finder's configuration: dot-all, UTF, newline
// ANY, PCRE2's built-in character tables (the process locale plays no part), and JIT when the
// machine has it. The pattern text goes through rewritePattern() first; only CaseFolding::Engine
// adds PCRE2's caseless mode. Searches are not-empty and bounded by kMatchLimit. An object is used
// by one thread at a time.
class PcrePattern
{
public:
    static constexpr std::uint32_t kMatchLimit = 10'000'000;
    // A JIT search first runs on PCRE2's 32 KiB block of the thread's own stack, which is all the
    // link finder's patterns need on ordinary pages. A search that runs out of it is repeated on
    // a stack of the searcher's own that grows from kJitStackStart up to kJitStackMax. (Mapping
    // such a stack for every search costs about 19 us, more than a short search itself.)
    static constexpr std::size_t kJitStackStart = std::size_t{32} * 1024;
    static constexpr std::size_t kJitStackMax = std::size_t{8} * 1024 * 1024;

    // Throws PcreError when the pattern does not compile, std::invalid_argument when it cannot be
    // rewritten.
    explicit PcrePattern(const QString &pattern, CaseFolding folding = CaseFolding::AsciiOnly,
                         JitMode jit = JitMode::IfAvailable);
    ~PcrePattern();
    PcrePattern(const PcrePattern &) = delete;
    PcrePattern &operator=(const PcrePattern &) = delete;

    bool usesJit() const;

    // Successive matches in one subject. The subject's UTF-16 is checked once, here; lone
    // surrogates are searched as U+FFFD (same length, so offsets and groups still refer to the
    // subject as given).
    class Searcher
    {
    public:
        Searcher(const PcrePattern &pattern, const QString &subject);
        ~Searcher();
        Searcher(const Searcher &) = delete;
        Searcher &operator=(const Searcher &) = delete;

        // Searches for the next match starting at `from` (a UTF-16 index). False when there is no
        // match or when the engine gave up (match limit, JIT stack beyond kJitStackMax, any other
        // error): both end the matches.
        bool find(qsizetype from);
        // True when the last find() ended because the engine gave up rather than found nothing.
        bool gaveUp() const;
        // PCRE2's result of the last search: the group count, or a negative error code.
        int lastResult() const;

        // The current match (valid after find() returned true).
        qsizetype matchStart() const;
        qsizetype matchEnd() const;
        // One more than the number of the highest group that took part in the match.
        int groupCount() const;
        // Text of one group; empty when the group did not take part. Throws std::out_of_range for
        // an index at or past groupCount().
        QString group(int index) const;
        // The same text as a view into the subject (valid while the searcher lives).
        QStringView groupView(int index) const;

    private:
        struct Impl;
        std::unique_ptr<Impl> d;
    };

    // The subject with every match removed, left to right, each search resuming where the last
    // match ended. A search the engine gives up ends the removal, keeping the rest as it is.
    QString removeAll(const QString &subject) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane
