#include "ui/memo_page_list.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <utility>
#include <vector>

namespace orvane {

int MemoPageList::lineCount() const
{
    const QTextDocument *document = m_memo.document();
    const int blocks = document->blockCount();
    return document->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

QString MemoPageList::line(int index) const
{
    return m_memo.document()->findBlockByNumber(index).text().left(kMaxLineRead);
}

void MemoPageList::deleteLine(int index)
{
    if (index < 0 || index >= lineCount()) {
        return;
    }
    const QTextBlock block = m_memo.document()->findBlockByNumber(index);
    QTextCursor cursor(block);
    const bool isLastBlock = !block.next().isValid();
    cursor.movePosition(isLastBlock ? QTextCursor::EndOfBlock : QTextCursor::NextBlock,
                        QTextCursor::KeepAnchor);
    if (cursor.hasSelection()) {
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
    }
}

void MemoPageList::replaceLine(int index, const QString &text)
{
    if (index < 0 || index >= lineCount()) {
        return;
    }
    const QTextBlock block = m_memo.document()->findBlockByNumber(index);
    if (block.text() == text) {
        return;
    }
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
}

TextLines MemoPageList::snapshot() const
{
    QStringList blocks;
    const QTextDocument *document = m_memo.document();
    blocks.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        blocks.append(block.text());
    }
    // The last block is the empty line after a final line break, or the last line itself.
    const bool endsWithLineBreak = blocks.size() > 1 && blocks.last().isEmpty();
    if (endsWithLineBreak || (blocks.size() == 1 && blocks.first().isEmpty())) {
        blocks.removeLast();
    }
    return TextLines::fromLines(blocks, endsWithLineBreak);
}

void MemoPageList::applyEdits(const PageListEdits &edits)
{
    // The same result as TextLines::applyEdits, but only the characters that change are touched,
    // all in one undo step: setPlainText would wipe the history, and rewriting every line would
    // make the step (and its undo) as slow as the whole list is long.
    QTextDocument *document = m_memo.document();
    const int count = lineCount();
    const auto isDeleted = [&](int index) {
        return static_cast<std::size_t>(index) < edits.deleted.size() && edits.deleted[index];
    };
    // Found top down, done bottom up: the positions above an edit stay where they were.
    struct Change
    {
        int from;
        int to;
        QString text;
        bool isDeletion;
    };
    std::vector<Change> changes;
    auto replacement = edits.replaced.lower_bound(0);
    QTextBlock block = document->begin();
    int position = 0;
    for (int index = 0; index < count; position += block.length(), ++index, block = block.next()) {
        if (isDeleted(index)) {
            // The line goes with the line break after it; a last line without one leaves the line
            // break before it. Runs of deleted lines go in one.
            const int end = position + block.length() - (block.next().isValid() ? 0 : 1);
            if (!changes.empty() && changes.back().isDeletion && changes.back().to == position) {
                changes.back().to = end;
            } else {
                changes.push_back({position, end, {}, true});
            }
            continue;
        }
        while (replacement != edits.replaced.end() && replacement->first < index) {
            ++replacement;
        }
        if (replacement == edits.replaced.end() || replacement->first != index) {
            continue;
        }
        // Only what lies between the common start and the common end of the old and new texts.
        const QString old = block.text();
        const QString &text = replacement->second;
        const qsizetype shorter = std::min(old.size(), text.size());
        qsizetype head = 0;
        while (head < shorter && old[head] == text[head]) {
            ++head;
        }
        if (head == old.size() && head == text.size()) {
            continue; // the same text
        }
        qsizetype tail = 0;
        while (tail < shorter - head &&
               old[old.size() - 1 - tail] == text[text.size() - 1 - tail]) {
            ++tail;
        }
        changes.push_back({position + static_cast<int>(head),
                           position + static_cast<int>(old.size() - tail),
                           text.mid(head, text.size() - head - tail), false});
    }
    if (changes.empty()) {
        return; // nothing changes: no undo step either
    }

    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        cursor.setPosition(change->from);
        cursor.setPosition(change->to, QTextCursor::KeepAnchor);
        if (change->text.isEmpty()) {
            cursor.removeSelectedText();
        } else {
            cursor.insertText(change->text);
        }
    }
    cursor.endEditBlock();
}

void MemoPageList::showPlaceholder(const QString &placeholder)
{
    QTextDocument *document = m_memo.document();
    if (!document->isEmpty()) {
        return;
    }
    const bool hasHistory = document->isUndoAvailable();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.insertText(placeholder);
    cursor.endEditBlock();
    if (!hasHistory) {
        // Nothing to keep (at start-up, say): then the placeholder is no step to undo to.
        document->clearUndoRedoStacks();
    }
    m_shown = {document->availableUndoSteps(), document->revision(), hasHistory};
}

void MemoPageList::takePlaceholder(const QString &placeholder)
{
    QTextDocument *document = m_memo.document();
    if (document->toPlainText() != placeholder) {
        return;
    }
    const ShownPlaceholder shown = std::exchange(m_shown, {});
    const bool untouched =
        document->availableUndoSteps() == shown.undoSteps && document->revision() == shown.revision;
    if (untouched && shown.isUndoStep) {
        document->undo();
        document->clearUndoRedoStacks(QTextDocument::RedoStack);
        return;
    }
    QTextCursor cursor(document);
    cursor.select(QTextCursor::Document);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.endEditBlock();
    if (untouched) {
        document->clearUndoRedoStacks(); // there was no history before the placeholder
    }
}

void MemoPageList::suspendRepaint()
{
    m_memo.setUpdatesEnabled(false);
}

void MemoPageList::resumeRepaint()
{
    m_memo.setUpdatesEnabled(true);
    m_memo.viewport()->update();
}

} // namespace orvane
