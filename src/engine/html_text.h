#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

// A text of a page (an anchor's text, an href value) as a browser shows it, on one line:
// - character references are decoded: decimal and hexadecimal ones by HTML's rules (0, surrogates
//   and code points past U+10FFFF become U+FFFD, 0x80-0x9F are read as Windows-1252), named ones
//   for Latin-1, HTML 4's special characters, "apos" and a few common symbols (bull, hellip,
//   trade, prime, fnof). Every reference needs its ";": an unknown or unterminated one stays as
//   written;
// - then every run of ASCII white space (space, tab, LF, FF, CR) becomes one space, and none is
//   left at either end, so that a row of the results is never more than one line.
QString browserText(QStringView text);

} // namespace orvane
