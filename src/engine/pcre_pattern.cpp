#include "engine/pcre_pattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <algorithm>
#include <iterator>
#include <new>
#include <pcre2.h>
#include <string>

using namespace Qt::StringLiterals;

namespace orvane {
namespace {

QString errorText(int code)
{
    PCRE2_UCHAR16 buffer[256];
    const int length = pcre2_get_error_message(code, buffer, std::size(buffer));
    if (length < 0)
        return u"PCRE2 error %1"_s.arg(code);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

// Index of the first surrogate code unit, or the size when there is none (the usual page). Scans
// in blocks without an early exit so that the compiler can vectorise it: Qt's own validity check
// walks code point by code point and costs a tenth of a whole search.
qsizetype findSurrogate(QStringView text)
{
    constexpr qsizetype kBlock = 512;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype block = 0; block < size; block += kBlock) {
        const qsizetype end = std::min(size, block + kBlock);
        bool any = false;
        for (qsizetype i = block; i < end; ++i)
            any |= (units[i] & 0xF800) == 0xD800;
        if (any) {
            for (qsizetype i = block; i < end; ++i) {
                if ((units[i] & 0xF800) == 0xD800)
                    return i;
            }
        }
    }
    return size;
}

} // namespace

struct PcrePattern::Impl
{
    pcre2_code *code = nullptr;
    bool jit = false;

    ~Impl() { pcre2_code_free(code); }
};

PcrePattern::PcrePattern(const QString &pattern, CaseFolding folding, JitMode jit)
    : d(std::make_unique<Impl>())
{
    const QString text = rewritePattern(pattern, folding);
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> context(
        pcre2_compile_context_create(nullptr), &pcre2_compile_context_free);
    if (!context)
        throw std::bad_alloc();
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANY);

    int error = 0;
    PCRE2_SIZE offset = 0;
    // Rewritten for AsciiOnly, the letters need no caseless mode.
    const uint32_t caseless = folding == CaseFolding::Engine ? PCRE2_CASELESS : 0;
    d->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.utf16()), text.size(),
                            caseless | PCRE2_DOTALL | PCRE2_UTF, &error, &offset, context.get());
    if (d->code == nullptr) {
        throw PcreError(
            QString(errorText(error) + u" at offset " + QString::number(offset)).toStdString(),
            error);
    }

    // Without the JIT the interpreter is quadratic on some pages (a run of "<a" without " href"),
    // so it is only the fallback for machines that have no JIT.
    uint32_t jitAvailable = 0;
    pcre2_config(PCRE2_CONFIG_JIT, &jitAvailable);
    if (jitAvailable != 0 && jit == JitMode::IfAvailable)
        d->jit = pcre2_jit_compile(d->code, PCRE2_JIT_COMPLETE) == 0;
}

PcrePattern::~PcrePattern() = default;

bool PcrePattern::usesJit() const
{
    return d->jit;
}

struct PcrePattern::Searcher::Impl
{
    const pcre2_code *code = nullptr;
    QString subject;  // as given: groups are cut from it
    QString searched; // the subject, or a copy with lone surrogates replaced
    pcre2_match_data *matchData = nullptr;
    pcre2_match_context *matchContext = nullptr;
    bool jit = false;
    pcre2_jit_stack *jitStack = nullptr; // made when a search first needs more than 32 KiB
    int result = PCRE2_ERROR_NOMATCH;

    ~Impl()
    {
        pcre2_match_data_free(matchData);
        pcre2_match_context_free(matchContext);
        pcre2_jit_stack_free(jitStack);
    }
};

PcrePattern::Searcher::Searcher(const PcrePattern &pattern, const QString &subject)
    : d(std::make_unique<Impl>())
{
    d->code = pattern.d->code;
    d->subject = subject;
    d->searched = subject;
    // Checked once here so that every search can skip PCRE2's own check, which would scan the
    // rest of the page again on each call of a find-all loop.
    const qsizetype firstSurrogate = findSurrogate(subject);
    if (firstSurrogate < subject.size()) {
        QChar *units = d->searched.data(); // detaches: the caller's text stays as it is
        const qsizetype size = d->searched.size();
        for (qsizetype i = firstSurrogate; i < size; ++i) {
            if (units[i].isHighSurrogate() && i + 1 < size && units[i + 1].isLowSurrogate()) {
                ++i;
            } else if (units[i].isSurrogate()) {
                units[i] = QChar::ReplacementCharacter;
            }
        }
    }

    d->matchContext = pcre2_match_context_create(nullptr);
    d->matchData = pcre2_match_data_create_from_pattern(d->code, nullptr);
    if (d->matchContext == nullptr || d->matchData == nullptr)
        throw std::bad_alloc();
    pcre2_set_match_limit(d->matchContext, kMatchLimit);
    d->jit = pattern.usesJit();
}

PcrePattern::Searcher::~Searcher() = default;

bool PcrePattern::Searcher::find(qsizetype from)
{
    const qsizetype size = d->searched.size();
    const QChar *units = d->searched.constData();
    if (from < 0 || from > size) {
        d->result = PCRE2_ERROR_BADOFFSET;
        return false;
    }
    if (from > 0 && from < size && units[from].isLowSurrogate() &&
        units[from - 1].isHighSurrogate()) {
        d->result = PCRE2_ERROR_BADUTFOFFSET; // PCRE2 no longer checks this for us
        return false;
    }
    const auto search = [&] {
        return pcre2_match(d->code, reinterpret_cast<PCRE2_SPTR>(units), size, from,
                           PCRE2_NOTEMPTY | PCRE2_NO_UTF_CHECK, d->matchData, d->matchContext);
    };
    d->result = search();
    if (d->result == PCRE2_ERROR_JIT_STACKLIMIT && d->jit && d->jitStack == nullptr) {
        d->jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        if (d->jitStack != nullptr) {
            pcre2_jit_stack_assign(d->matchContext, nullptr, d->jitStack);
            d->result = search();
        }
    }
    return d->result > 0;
}

bool PcrePattern::Searcher::gaveUp() const
{
    return d->result <= 0 && d->result != PCRE2_ERROR_NOMATCH;
}

int PcrePattern::Searcher::lastResult() const
{
    return d->result;
}

qsizetype PcrePattern::Searcher::matchStart() const
{
    return static_cast<qsizetype>(pcre2_get_ovector_pointer(d->matchData)[0]);
}

qsizetype PcrePattern::Searcher::matchEnd() const
{
    return static_cast<qsizetype>(pcre2_get_ovector_pointer(d->matchData)[1]);
}

int PcrePattern::Searcher::groupCount() const
{
    return d->result > 0 ? d->result : 0;
}

QString PcrePattern::Searcher::group(int index) const
{
    return groupView(index).toString();
}

QStringView PcrePattern::Searcher::groupView(int index) const
{
    if (index < 0 || index >= groupCount())
        throw std::out_of_range("no such group in the match");
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(d->matchData);
    const PCRE2_SIZE start = ovector[std::ptrdiff_t{2} * index];
    const PCRE2_SIZE end = ovector[std::ptrdiff_t{2} * index + 1];
    if (start == PCRE2_UNSET)
        return {};
    return QStringView(d->subject)
        .sliced(static_cast<qsizetype>(start), static_cast<qsizetype>(end - start));
}

QString PcrePattern::removeAll(const QString &subject) const
{
    Searcher searcher(*this, subject);
    QString result;
    qsizetype position = 0;
    while (searcher.find(position)) {
        result += QStringView(subject).sliced(position, searcher.matchStart() - position);
        position = searcher.matchEnd();
    }
    result += QStringView(subject).sliced(position);
    return result;
}

} // namespace orvane
