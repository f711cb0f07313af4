#pragma once

#include <QByteArray>

namespace orvane {

// The parts of a page address that politeness rules go by, read the way libcurl reads the address
// it fetches.

// The site: scheme, host in lower case and port ("https://blog.example:443"), the port given or
// the scheme's default. Empty for an address libcurl cannot read.
QByteArray siteOf(const QByteArray &url);

// The path, with "?" and the query when there is one ("/a/b?c=d"): what the request asks for,
// dot segments resolved. "/" for an address without a path or one libcurl cannot read.
QByteArray pathAndQueryOf(const QByteArray &url);

} // namespace orvane
