#pragma once

#include "run/desktop_seams.h"

#include <QStringList>

namespace orvane::testing {

// The desktop as a test sees it: messages, clipboard texts and opened addresses are recorded.
class RecordingDesktop final : public MessageSink, public ClipboardSink, public AddressOpener
{
public:
    void information(const QString &text) override { messages << text; }
    void setText(const QString &text) override { clipboard << text; }
    void open(const QString &address) override { opened << address; }

    QStringList messages;
    QStringList clipboard;
    QStringList opened;
};

} // namespace orvane::testing
