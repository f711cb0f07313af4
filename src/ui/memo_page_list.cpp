#include "ui/memo_page_list.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

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
    cursor.removeSelectedText();
}

void MemoPageList::replaceLine(int index, const QString &text)
{
    if (index < 0 || index >= lineCount()) {
        return;
    }
    QTextCursor cursor(m_memo.document()->findBlockByNumber(index));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
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
    TextLines lines = snapshot();
    lines.applyEdits(edits);
    m_memo.setPlainText(lines.text());
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
