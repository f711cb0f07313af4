#include "ui/window_fonts.h"

#include <QFile>
#include <QFontDatabase>

namespace orvane {

namespace {

const QString &tahoma()
{
    static const QString family = QStringLiteral("Tahoma");
    return family;
}

QFont tahomaOfPixels(int pixels)
{
    QFont font(tahoma());
    font.setPixelSize(pixels);
    return font;
}

} // namespace

QStringList bundledTahomaFiles()
{
    return {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
            QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf")};
}

bool registerWindowFonts()
{
    static const bool available = [] {
        if (QFontDatabase::families().contains(tahoma())) {
            return true; // the system's own
        }
        bool registered = false;
        for (const QString &file : bundledTahomaFiles()) {
            if (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0) {
                registered = true;
            }
        }
        return registered;
    }();
    return available;
}

QFont windowFont()
{
    return tahomaOfPixels(kWindowFontPixels);
}

QFont listFont()
{
    return tahomaOfPixels(kListFontPixels);
}

} // namespace orvane
