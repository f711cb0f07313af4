#include "engine/legacy_codepage.h"
#include "engine/page_fetcher.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Tests that care pin the code page themselves; this keeps the others independent of the
    // locale.
    orvane::setLegacyCodePage(orvane::CodePage::Utf8);
    orvane::initializeFetcher();
    // The tests drive real widgets without a screen (test discovery runs outside CTest's
    // environment).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
