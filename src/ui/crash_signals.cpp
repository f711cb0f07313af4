#include "ui/crash_signals.h"

#include "ui/unhandled_errors.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX) && __has_include(<execinfo.h>)

#include <csignal>
#include <cstdio>
#include <cstring>
#include <execinfo.h>
#include <unistd.h>

namespace orvane {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS};
constexpr int kMaxFrames = 64;

// Composed at install time: the handler only writes what is ready.
char g_head[96];
char g_versions[96];
// A stack of its own for the handler, so that a stack overflow of the main thread can still be
// reported.
alignas(16) char g_handlerStack[64 * 1024];

void writeText(const char *text)
{
    // Nothing to do about a failed write on the way down.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, std::strlen(text));
}

const char *signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGBUS:
        return "SIGBUS";
    default:
        return "?";
    }
}

void onFatalSignal(int signal)
{
    // The number by hand: printf is not async-signal-safe.
    char number[12];
    std::size_t at = sizeof number - 1;
    number[at] = '\0';
    int rest = signal;
    do {
        number[--at] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    writeText(g_head);
    writeText(number + at);
    writeText(" (");
    writeText(signalName(signal));
    writeText(")\n");
    writeText(g_versions);
    void *frames[kMaxFrames];
    backtrace_symbols_fd(frames, backtrace(frames, kMaxFrames), STDERR_FILENO);

    // SA_RESETHAND has put the default action back already; the signal raised again is blocked
    // until this handler returns, and then ends the process as it would have without us.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void installCrashReport()
{
    std::snprintf(g_head, sizeof g_head, "Orvane %s crashed: signal ", programVersion());
    std::snprintf(g_versions, sizeof g_versions, "Qt %s\nBacktrace:\n", qVersion());
    // The first backtrace() loads libgcc, which must not happen inside the handler.
    void *frame = nullptr;
    backtrace(&frame, 1);

    stack_t stack{};
    stack.ss_sp = g_handlerStack;
    stack.ss_size = sizeof g_handlerStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (const int signal : kFatalSignals) {
        sigaction(signal, &action, nullptr);
    }
}

} // namespace orvane

#else

namespace orvane {

// Other platforms bring their own crash reporting (e.g. an unhandled-exception filter on Windows).
void installCrashReport() {}

} // namespace orvane

#endif
