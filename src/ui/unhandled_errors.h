#pragma once

#include <QApplication>
#include <QString>
#include <concepts>
#include <exception>
#include <utility>

namespace orvane {

// The project version the program was built as ("1.4.0").
const char *programVersion();

// The short report the user can copy from the error box: program version, what failed, the Qt and
// libcurl versions.
QString errorReport(const QString &failure);

// Tells the user about a failure that escaped an event handler.
class ErrorReportSink
{
public:
    virtual ~ErrorReportSink() = default;
    virtual void showError(const QString &failure, const QString &report) = 0;
};

// A modal box with the critical icon, "OK" and "Copy Report"; Copy Report puts the report on the
// clipboard and leaves the box open.
class DialogErrorReportSink final : public ErrorReportSink
{
public:
    void showError(const QString &failure, const QString &report) override;
};

// An exception that escapes an event handler is shown to the user once and the event loop goes on,
// so the results of a run outlive it. While a box is open, further failures only go to standard
// error (a throwing timer would otherwise stack box upon box).
class OrvaneApplication final : public QApplication
{
public:
    OrvaneApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Replaces the box (tests); nullptr brings it back. Returns the sink used until now.
    static ErrorReportSink *setErrorReportSink(ErrorReportSink *sink);
    // Failures written to standard error only, because a box was open already.
    static int unshownFailures();

    // Shows a failure as one that reached the event loop.
    static void reportFailure(const std::exception_ptr &failure) noexcept;

private:
    static void showFailure(const QString &failure);
};

// Wraps a command of the window: a failure in it is reported like one that reaches the event loop,
// but is caught before it unwinds through the toolkit's own frames, which are not built to be
// unwound (they would leak or be left half-way through what they were doing).
// The wrapper takes the arguments the handler takes, so it also fits signals with arguments.
template <class Handler> auto reportingFailures(Handler handler)
{
    return [handler = std::move(handler)](auto &&...arguments)
               -> void requires std::invocable<const Handler &, decltype(arguments)...>
    {
        try {
            handler(std::forward<decltype(arguments)>(arguments)...);
        } catch (...) {
            OrvaneApplication::reportFailure(std::current_exception());
        }
    };
}

} // namespace orvane
