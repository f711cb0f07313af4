#include "engine/legacy_codepage.h"
#include "engine/page_fetcher.h"
#include "ui/unhandled_errors.h"

#include <gtest/gtest.h>

namespace {

// A failure that escapes an event handler fails the test that caused it, instead of waiting for
// someone to close the error box.
class FailingErrorReportSink final : public orvane::ErrorReportSink
{
public:
    void showError(const QString &failure, const QString & /*report*/) override
    {
        ADD_FAILURE() << "unexpected error in an event handler: " << failure.toStdString();
    }
};

} // namespace

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
    // The window tests go through the same event handling as the program.
    orvane::OrvaneApplication app(argc, argv);
    FailingErrorReportSink failing;
    orvane::OrvaneApplication::setErrorReportSink(&failing);
    return RUN_ALL_TESTS();
}
