#pragma once

#include "listtools/page_list.h"

class QPlainTextEdit;

namespace orvane {

// The page list as the memo holds it: one block of the memo's document per line.
class MemoPageList final : public PageList
{
public:
    explicit MemoPageList(QPlainTextEdit &memo) : m_memo(memo) {}

    int lineCount() const override;
    QString line(int index) const override;
    void deleteLine(int index) override;
    void replaceLine(int index, const QString &text) override;
    // Rebuilds the memo's text once, whatever the number of edits.
    void applyEdits(const PageListEdits &edits) override;
    void suspendRepaint() override;
    void resumeRepaint() override;

    // Every line in full, as a plain text (line breaks "\n").
    TextLines snapshot() const;

private:
    QPlainTextEdit &m_memo;
};

} // namespace orvane
