#include "engine/bot_walls.h"

namespace orvane {

namespace {

// What a service's challenge or block page carries; both texts must appear when there are two.
struct WallSignature
{
    const char *text;
    const char *alsoText = nullptr;
};

constexpr WallSignature kWallSignatures[] = {
    // Cloudflare: the title of its browser check ("Just a moment...").
    {"Just a moment..."},
    // Cloudflare: the scripts of its challenge platform, on every managed or JS challenge.
    {"challenge-platform"},
    // Cloudflare: the title of its block page (a firewall rule or a banned address).
    {"Attention Required!"},
    // Akamai: its edge denial, titled "Access Denied", names a "Reference #" for support.
    {"Access Denied", "Reference #"},
    // Imperva (Incapsula): the resource its block and challenge pages load.
    {"_Incapsula_Resource"},
    // DataDome: its captcha is served from this host.
    {"captcha-delivery.com"},
    // Sucuri: the heading of its firewall's block page.
    {"Sucuri WebSite Firewall"},
    // AWS WAF: the token cookie its challenge and captcha actions set.
    {"aws-waf-token"},
    // PerimeterX / HUMAN: the element its press-and-hold captcha mounts into.
    {"px-captcha"},
};

} // namespace

bool isBotWall(int status, bool challengeHeader, QByteArrayView body)
{
    if (status != 403 && status != 429 && status != 503) {
        return false;
    }
    if (challengeHeader) {
        return true;
    }
    for (const WallSignature &signature : kWallSignatures) {
        if (body.contains(signature.text) &&
            (signature.alsoText == nullptr || body.contains(signature.alsoText))) {
            return true;
        }
    }
    return false;
}

} // namespace orvane
