// Times the list cleaning commands on realistic page lists of 10,000 and 100,000 lines in the real
// main window (its memo, through the "Remove URLs" menu items), then one Ctrl+Z (document undo)
// and one redo after each, checking that they bring back the exact texts. Command times are also
// given as processor time, which other work on the machine skews less. Also times the line-by-line
// duplicate pass on 10,000 lines against the fast command (same result required).
#include "engine/page_fetcher.h"
#include "listtools/list_cleaning.h"
#include "run/desktop_seams.h"
#include "support/named_child.h"
#include "support/process_memory.h"
#include "support/reference_cleaning.h"
#include "ui/orvane_form.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextDocument>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

using namespace orvane;

namespace {

// Several pages per domain, copies of earlier lines (some with blanks around them), blank lines,
// lines without a scheme and the odd line that is no address at all.
QStringList realisticList(int count)
{
    QRandomGenerator random(42);
    QStringList lines;
    lines.reserve(count);
    const int domains = count / 8;
    for (int i = 0; i < count; ++i) {
        const int kind = random.bounded(100);
        if (kind < 5) {
            lines << (kind < 2 ? QString() : QStringLiteral("   "));
        } else if (kind < 20 && !lines.isEmpty()) {
            const QString earlier = lines.at(random.bounded(static_cast<int>(lines.size())));
            lines << (kind < 17 ? earlier : QStringLiteral(" ") + earlier + QStringLiteral("\t"));
        } else if (kind < 25) {
            lines << QStringLiteral("www.site%1.example/page%2.html")
                         .arg(random.bounded(domains))
                         .arg(random.bounded(50));
        } else if (kind < 26) {
            lines << QStringLiteral("see our partners");
        } else {
            const int domain = random.bounded(domains);
            lines << QStringLiteral("%1://%2site%3.example/blog/post-%4?ref=%5")
                         .arg(random.bounded(4) == 0 ? QStringLiteral("http")
                                                     : QStringLiteral("https"))
                         .arg(random.bounded(3) == 0 ? QStringLiteral("www.") : QString())
                         .arg(domain)
                         .arg(random.bounded(200))
                         .arg(random.bounded(3));
        }
    }
    return lines;
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The message box, without the box.
class LastMessage final : public MessageSink
{
public:
    void information(const QString &text) override { last = text; }
    QString last;
};

const char *yesNo(bool value)
{
    return value ? "yes" : "NO";
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    initializeFetcher();
    QApplication app(argc, argv);
    TOrvaneTForm form;
    LastMessage messages;
    form.setMessageSink(&messages);
    form.show();
    QCoreApplication::processEvents();
    QPlainTextEdit &memo = *test::namedChild<QPlainTextEdit>(form, "LinksTspSkinMemo");
    QTextDocument &document = *memo.document();

    const std::pair<const char *, const char *> commands[] = {
        {"Remove Duplicate URLs", "RemoveDuplicateURLs1"},
        {"Remove Duplicate Domains", "RemoveDuplicateDomains1"},
        {"Remove Invalid Urls", "RemoveInvalidUrls1"},
        {"Trim to Domain", "rimtodomain1"},
        {"Remove Empty Lines", "RemoveEmptyLines1"},
    };
    bool allRestored = true;
    for (const int count : {10000, 100000}) {
        const QString original = realisticList(count).join(u'\n');
        std::printf(
            "%d lines, in the memo (load %s):  command  (processor)       undo       redo\n", count,
            test::loadAverage().c_str());
        for (const auto &[name, objectName] : commands) {
            memo.setPlainText(original);
            QAction *item = test::namedChild<QAction>(form, objectName);
            const double cpuBefore = threadCpuMs();
            const double commandMs = timeMs([&] { item->trigger(); });
            const double commandCpuMs = threadCpuMs() - cpuBefore;
            const QString cleaned = memo.toPlainText();
            const double undoMs = timeMs([&] { document.undo(); });
            const bool undone = memo.toPlainText() == original;
            const double redoMs = timeMs([&] { document.redo(); });
            const bool redone = memo.toPlainText() == cleaned;
            // A command that changes nothing has nothing to undo.
            const bool restored = cleaned == original || (undone && redone);
            allRestored = allRestored && restored;
            std::printf(
                "  %-26s %8.2f ms (%8.2f ms) %8.2f ms %8.2f ms  (%s; undo/redo exact: %s)\n", name,
                commandMs, commandCpuMs, undoMs, redoMs, qPrintable(messages.last),
                yesNo(restored));
            QCoreApplication::processEvents();
        }
    }

    const TextLines original = TextLines::fromLines(realisticList(10000));
    TextLines fast = original;
    TextLines slow = original;
    const double fastMs = timeMs([&] { removeDuplicateUrls(fast); });
    const double slowMs = timeMs([&] { removeDuplicateUrlsLineByLine(slow); });
    const bool same = fast.text() == slow.text();
    std::printf(
        "Remove Duplicate URLs on 10000 lines (in memory): line by line %.1f ms, fast %.2f ms, "
        "ratio %.0fx, same lines: %s\n",
        slowMs, fastMs, slowMs / fastMs, yesNo(same));
    return same && allRestored ? 0 : 1;
}
