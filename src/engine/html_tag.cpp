#include "engine/html_tag.h"

namespace orvane {

bool equalsAsciiNoCase(QStringView text, QStringView lowerCaseWord)
{
    if (text.size() != lowerCaseWord.size()) {
        return false;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + (u'a' - u'A'));
        }
        if (c != lowerCaseWord[i].unicode()) {
            return false;
        }
    }
    return true;
}

} // namespace orvane
