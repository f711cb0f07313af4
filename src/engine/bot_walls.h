#pragma once

#include <QByteArrayView>

namespace orvane {

// Whether an answer is a bot check's challenge or block page standing in for the page: a status
// of 403, 429 or 503 with either a challenge header (cf-mitigated: challenge) or the body of a
// known challenge service. A 200 page that merely mentions a captcha is the page.
bool isBotWall(int status, bool challengeHeader, QByteArrayView body);

} // namespace orvane
