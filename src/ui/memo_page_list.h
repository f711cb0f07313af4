#pragma once

#include "listtools/page_list.h"

class QPlainTextEdit;

namespace orvane {

// The page list as the memo holds it: one block of the memo's document per line. Every change is
// one step of the memo's undo history (none when nothing changes), so Ctrl+Z gives the list back.
class MemoPageList final : public PageList
{
public:
    explicit MemoPageList(QPlainTextEdit &memo) : m_memo(memo) {}

    int lineCount() const override;
    QString line(int index) const override;
    void deleteLine(int index) override;
    void replaceLine(int index, const QString &text) override;
    // Touches only the characters that change, all in one undo step.
    void applyEdits(const PageListEdits &edits) override;
    void suspendRepaint() override;
    void resumeRepaint() override;

    // Every line in full, as a plain text (line breaks "\n").
    TextLines snapshot() const;

    // Puts the placeholder into an empty memo. It comes and goes without a trace in the history:
    // takePlaceholder() takes it back out by undoing it.
    void showPlaceholder(const QString &placeholder);
    // Empties a memo whose whole text is the placeholder. One that is still as showPlaceholder()
    // left it is undone; one the user typed, or that came otherwise, goes as an ordinary edit.
    void takePlaceholder(const QString &placeholder);

private:
    // The document right after showPlaceholder(), to tell an untouched placeholder.
    struct ShownPlaceholder
    {
        int undoSteps = -1;
        int revision = -1;
        bool isUndoStep = false; // false: there was no history, so the placeholder is none either
    };

    QPlainTextEdit &m_memo;
    ShownPlaceholder m_shown;
};

} // namespace orvane
