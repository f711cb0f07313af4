#pragma once

#include <QString>

namespace orvane {

// The information message box (modal, information icon, one OK button).
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void information(const QString &text) = 0;
};

// The system clipboard: one text replaces all of its contents.
class ClipboardSink
{
public:
    virtual ~ClipboardSink() = default;
    virtual void setText(const QString &text) = 0;
};

// Hands an address to the system's default handler (the web browser).
class AddressOpener
{
public:
    virtual ~AddressOpener() = default;
    virtual void open(const QString &address) = 0;
};

} // namespace orvane
