#include "ui/unhandled_errors.h"

#include "engine/page_fetcher.h"
#include "orvane_version.h"
#include "ui/desktop_services.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QThread>
#include <cstdio>
#include <utility>

namespace orvane {

namespace {

ErrorReportSink *g_sink = nullptr;
bool g_boxOpen = false;
int g_unshown = 0;

QString failureText(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown exception");
    }
}

} // namespace

const char *programVersion()
{
    return kProgramVersion;
}

QString errorReport(const QString &failure)
{
    return QStringLiteral("Orvane ") + QString::fromLatin1(programVersion()) +
           QStringLiteral("\nError: ") + failure + QStringLiteral("\nQt ") +
           QString::fromLatin1(qVersion()) + u'\n' + curlVersionText() + u'\n';
}

void DialogErrorReportSink::showError(const QString &failure, const QString &report)
{
    QDialog box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Orvane"));
    QStyle *style = box.style();
    auto *icon = new QLabel(&box);
    const int iconSize = style->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(
        style->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, &box).pixmap(iconSize));
    auto *text = new QLabel(QStringLiteral("An unexpected error occurred: ") + failure +
                                QStringLiteral("\n\nThe results so far are kept."),
                            &box);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    // Only OK closes the box; Copy Report leaves it open.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QPushButton *copy =
        buttons->addButton(QStringLiteral("Copy Report"), QDialogButtonBox::ActionRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(copy, &QPushButton::clicked, &box,
                     [report] { SystemClipboard().setText(report); });

    auto *layout = new QGridLayout(&box);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(text, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);
    box.exec();
}

OrvaneApplication::OrvaneApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool OrvaneApplication::notify(QObject *receiver, QEvent *event)
{
    std::exception_ptr failure;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        failure = std::current_exception();
    }
    // Reported outside the handler, so the box does not run inside a catch block.
    reportFailure(failure);
    return false;
}

ErrorReportSink *OrvaneApplication::setErrorReportSink(ErrorReportSink *sink)
{
    return std::exchange(g_sink, sink);
}

int OrvaneApplication::unshownFailures()
{
    return g_unshown;
}

void OrvaneApplication::reportFailure(const std::exception_ptr &failure) noexcept
{
    try {
        const QString text = failureText(failure);
        if (QThread::currentThread() != instance()->thread()) {
            // A box belongs to the GUI thread.
            QMetaObject::invokeMethod(
                instance(), [text] { showFailure(text); }, Qt::QueuedConnection);
        } else {
            showFailure(text);
        }
    } catch (...) {
        // Memory is short or the box itself failed: a last word that allocates nothing.
        std::fputs("Orvane: unexpected error, and reporting it failed too\n", stderr);
    }
}

void OrvaneApplication::showFailure(const QString &failure)
{
    if (g_boxOpen) {
        ++g_unshown;
        std::fprintf(stderr, "Orvane: unexpected error (not shown, an error box is open): %s\n",
                     qPrintable(failure));
        return;
    }
    std::fprintf(stderr, "Orvane: unexpected error: %s\n", qPrintable(failure));
    g_boxOpen = true;
    const auto closed = qScopeGuard([] { g_boxOpen = false; });
    if (g_sink != nullptr) {
        g_sink->showError(failure, errorReport(failure));
    } else {
        DialogErrorReportSink().showError(failure, errorReport(failure));
    }
}

} // namespace orvane
