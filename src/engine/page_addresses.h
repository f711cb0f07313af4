#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringView>

namespace orvane {

// Where a page points beyond itself, each address resolved against the address that answered:
// the canonical address it names (its first <link rel="canonical">, else a Link header with
// rel="canonical") and the address of its <meta http-equiv="refresh">. Empty when it names none.
struct PageAddresses
{
    QString canonical;
    QString refresh;
};
PageAddresses pageAddresses(QStringView page, const QByteArrayList &linkHeaders,
                            const QString &pageUrl);

// Whether two addresses name the same page: scheme and host without regard to case, a default
// port and the fragment dropped, everything else exactly.
bool isSamePage(const QString &first, const QString &second);

} // namespace orvane
