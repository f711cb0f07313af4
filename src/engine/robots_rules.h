#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringView>

namespace orvane {

// Whether search engines are told not to index a page and not to follow its links, whether its
// site's robots.txt keeps Googlebot from fetching it at all, and whether it names another page as
// the one to index in its stead.
enum RobotsRule {
    RobotsNoIndex = 1,
    RobotsNoFollow = 2,
    RobotsDisallowed = 4,
    RobotsCanonicalised = 8
};

// The rules of a robots directive list ("noindex, nofollow"; "none" is both); tokens are split at
// commas and white space and compared ignoring ASCII case.
int robotsDirectives(QStringView list);

// The rules of every <meta> element whose name is "robots" or "googlebot", in one pass over the
// page text.
int pageRobotsRules(QStringView page);

// The rules of X-Robots-Tag header values. A value may start with a user agent and ":"
// ("otherbot: noindex"); only values without one or for googlebot apply.
int headerRobotsRules(const QByteArrayList &values);

// The words of the rules in this order: "noindex nofollow disallowed canonicalised", or empty.
QString robotsText(int rules);

} // namespace orvane
