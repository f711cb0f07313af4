#include "engine/page_fetcher.h"
// Placeholder until the fetcher lands.
namespace orvane {
QList<QByteArray> requestHeaderLines() { return {}; }
void initializeFetcher() {}
void abortAllDownloads() {}
void resetDownloadAbort() {}
QString Download_Page(QString, QByteArray &Page, int) { Page.clear(); throw DownloadError(kUnableToInitialize); }
} // namespace orvane
