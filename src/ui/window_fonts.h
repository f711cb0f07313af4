#pragma once

#include <QFont>
#include <QStringList>

namespace orvane {

// The window is laid out for Tahoma: 11 px characters in the window, 15 px in the results list.
// Systems without a Tahoma of their own get the free one of Debian's fonts-wine package (the same
// metrics) for this process, when it is installed; elsewhere Qt falls back to a wider font and the
// controls that must show whole texts grow to them.
inline constexpr int kWindowFontPixels = 11;
inline constexpr int kListFontPixels = 15;

// Where a free Tahoma may be installed (regular, then bold).
QStringList bundledTahomaFiles();

// Once per process, before the window is built. True when Tahoma is available afterwards.
bool registerWindowFonts();

QFont windowFont();
QFont listFont();

} // namespace orvane
