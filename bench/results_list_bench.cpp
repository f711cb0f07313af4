// The results list with 100,000 finished rows in the real window (offscreen): memory per row and
// the time of the selection and copy commands. Goal: every command under 250 ms, at most 1.5 KB
// per row. Figures are printed, never judged.
#include "engine/robots_rules.h"
#include "run/desktop_seams.h"
#include "run/results_model.h"
#include "support/named_child.h"
#include "support/process_memory.h"
#include "ui/orvane_form.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <array>
#include <cstdio>
#include <functional>

using namespace orvane;

namespace {

constexpr int kRows = 100000;

class CountingClipboard final : public ClipboardSink
{
public:
    void setText(const QString &text) override { characters = text.size(); }
    qsizetype characters = 0;
};

class SilentMessages final : public MessageSink
{
public:
    void information(const QString & /*text*/) override {}
};

// Rows as a run leaves them: a third found with an anchor, failures of several kinds, the date of
// the check and, where found, the link type; robots rules on some pages, a redirect on some, and
// the verdict of each.
void fill(ResultsModel &results)
{
    const QDateTime date(QDate(2026, 12, 9), QTime(17, 33, 5));
    const CheckStatus statuses[] = {{CheckStatus::Ok},
                                    {CheckStatus::Ok},
                                    {CheckStatus::Ok},
                                    {CheckStatus::Http, 404},
                                    {CheckStatus::CannotOpenUrl},
                                    {CheckStatus::TimedOut}};
    for (int i = 0; i < kRows; ++i) {
        const bool isFound = i % 3 == 0;
        const int statusIndex = i % 6;
        const bool hasNoindex = i % 10 == 0;
        CheckReport report;
        report.found = isFound;
        if (isFound) {
            report.anchor = QStringLiteral("Widgets for every workshop %1").arg(i % 50);
            report.link = QStringLiteral("https://www.my-site.example/page-%1").arg(i % 40);
            report.linkType = {true};
        }
        report.status = statuses[statusIndex];
        report.size = 20000 + i % 90000;
        report.robots = hasNoindex ? RobotsNoIndex : 0;
        if (i % 8 == 0) {
            report.redirectedTo = QStringLiteral("https://www.site%1.example/").arg(i % 9000);
        }
        report.verdict = Verdict::Unverified;
        if (isFound) {
            report.verdict = statusIndex < 3 && !hasNoindex ? Verdict::Live : Verdict::Weak;
        } else if (statusIndex <= 3) {
            report.verdict = Verdict::Lost;
        }
        results.appendRow(QStringLiteral("https://www.site%1.example/blog/post-%2?ref=%3")
                              .arg(i % 9000)
                              .arg(i)
                              .arg(i % 7),
                          date);
        results.setReport(results.rowCount() - 1, report);
    }
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    QCoreApplication::processEvents(); // the repaint the command asked for
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TOrvaneTForm form;
    CountingClipboard clipboard;
    SilentMessages messages;
    form.setClipboard(&clipboard);
    form.setMessageSink(&messages);
    form.show();
    QCoreApplication::processEvents();

    const long before = test::statusKb("VmRSS");
    const double fillMs = timeMs([&form] { fill(*form.results()); });
    const long after = test::statusKb("VmRSS");
    std::printf("results: %d rows added in %.0f ms, %.0f bytes per row (RSS %ld -> %ld kB)\n",
                kRows, fillMs, double(after - before) * 1024.0 / kRows, before, after);

    // Found before the clock starts.
    const auto command = [&form](const char *objectName) {
        QAction *item = test::namedChild<QAction>(form, objectName);
        return [item] { item->trigger(); };
    };
    const auto report = [&clipboard](const char *name, double ms, bool copies) {
        if (copies) {
            std::printf("results: %-46s %7.1f ms (%lld characters)\n", name, ms,
                        static_cast<long long>(clipboard.characters));
        } else {
            std::printf("results: %-46s %7.1f ms\n", name, ms);
        }
    };
    report("Select All", timeMs(command("Selectall1")), false);
    report("Copy Selected URLs to Clipboard (all rows)", timeMs(command("CopyURL1")), true);
    report("... + Columns (all rows)", timeMs(command("CopySelectedURLstoClipboardColumns1")),
           true);
    report("... + All Columns (all rows)",
           timeMs(command("CopySelectedURLstoClipboardAllColumns1")), true);
    report("Select Successfully links", timeMs(command("SelectSuccessfullylinks1")), false);
    report("Select Failed Rows", timeMs(command("SelectFailedRows1")), false);
    report("... + All Columns (failed rows)",
           timeMs(command("CopySelectedURLstoClipboardAllColumns1")), true);
    report("Select Lost Rows", timeMs(command("SelectLostRows1")), false);
    std::printf("results: peak RSS %ld kB\n", test::statusKb("VmHWM"));
    return 0;
}
