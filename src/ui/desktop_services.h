#pragma once

#include "run/desktop_seams.h"

class QWidget;

namespace orvane {

// The real desktop behind the seams: a modal message box, the system clipboard, the browser.
class DialogMessageSink final : public MessageSink
{
public:
    explicit DialogMessageSink(QWidget *owner) : m_owner(owner) {}
    void information(const QString &text) override;

private:
    QWidget *m_owner;
};

class SystemClipboard final : public ClipboardSink
{
public:
    void setText(const QString &text) override;
};

class BrowserOpener final : public AddressOpener
{
public:
    void open(const QString &address) override;
};

} // namespace orvane
