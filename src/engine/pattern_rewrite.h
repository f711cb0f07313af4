#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

// How the letters of a pattern compare.
enum class CaseFolding {
    // A letter matches its two ASCII cases only (PCRE2's caseless mode would also let "k" match
    // U+212A KELVIN SIGN and "s" match U+017F LATIN SMALL LETTER LONG S).
    AsciiOnly,
    // Letters are left to PCRE2's caseless mode (kept for measurements and for showing the
    // difference).
    Engine,
};

// Rewrites one of the link finder's patterns so that PCRE2 matches it as meant: "\s" (inside and
// outside classes) becomes exactly space, tab, LF, FF and CR, never VT. With AsciiOnly every
// letter becomes a class of its two cases and every class holding letters gets their other
// cases, so the pattern is compiled case-sensitively.
//
// Only what those patterns use is understood: ASCII literals; the escapes \s \t \n \r and escaped
// punctuation; classes of these with ranges; ( ) and (?: ) groups; |; the quantifiers * + ? and
// their lazy forms; ^ $ and the dot. Anything else throws std::invalid_argument naming it and its
// offset. What PCRE2 reports by itself (a missing parenthesis, a quantifier with nothing to
// repeat, a reversed range, a trailing backslash) is left to it.
QString rewritePattern(QStringView pattern, CaseFolding folding = CaseFolding::AsciiOnly);

} // namespace orvane
