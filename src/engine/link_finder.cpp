#include "engine/link_finder.h"
#include <stdexcept>
// Placeholder until the link finder lands.
namespace orvane {
bool Find_Link(QString, QString, QString &, QString &, bool) { throw std::logic_error("not built yet"); }
void Strip_Tags(QString, QString &) { throw std::logic_error("not built yet"); }
void Trim_Spaces(QByteArray, QByteArray &) { throw std::logic_error("not built yet"); }
} // namespace orvane
