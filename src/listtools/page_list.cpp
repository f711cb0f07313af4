#include "listtools/page_list.h"

#include <algorithm>

namespace orvane {

QString trimmedText(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20) {
        ++begin;
    }
    while (end > begin && text[end - 1].unicode() <= 0x20) {
        --end;
    }
    return text.sliced(begin, end - begin).toString();
}

bool PageListEdits::isEmpty() const
{
    return replaced.empty() && std::find(deleted.begin(), deleted.end(), true) == deleted.end();
}

TextLines::TextLines(const QString &text) : m_segments(text.split(u'\n')) {}

TextLines TextLines::fromLines(const QStringList &lines, bool endsWithLineBreak)
{
    TextLines result;
    result.m_segments = lines;
    if (lines.isEmpty() || endsWithLineBreak) {
        result.m_segments.append(QString());
    }
    return result;
}

QStringList TextLines::lines() const
{
    return m_segments.mid(0, lineCount());
}

int TextLines::lineCount() const
{
    const qsizetype segments = m_segments.size();
    return static_cast<int>(m_segments.last().isEmpty() ? segments - 1 : segments);
}

QString TextLines::line(int index) const
{
    return m_segments.at(index).left(kMaxLineRead);
}

void TextLines::deleteLine(int index)
{
    if (index < 0 || index >= lineCount()) {
        return;
    }
    if (index == m_segments.size() - 1) {
        m_segments[index].clear(); // the last line: its text goes, the line break before it stays
    } else {
        m_segments.removeAt(index);
    }
}

void TextLines::replaceLine(int index, const QString &text)
{
    if (index >= 0 && index < lineCount()) {
        m_segments[index] = text;
    }
}

void TextLines::applyEdits(const PageListEdits &edits)
{
    const int count = lineCount();
    const auto isDeleted = [&](int index) {
        return static_cast<std::size_t>(index) < edits.deleted.size() && edits.deleted[index];
    };
    // The text keeps its final line break, and gains one when its last line is deleted.
    const bool endsWithLineBreak =
        m_segments.last().isEmpty() || (count > 0 && isDeleted(count - 1));
    QStringList kept;
    kept.reserve(count + 1);
    for (int index = 0; index < count; ++index) {
        if (isDeleted(index)) {
            continue;
        }
        const auto replacement = edits.replaced.find(index);
        if (replacement != edits.replaced.end()) {
            kept.append(replacement->second);
        } else {
            kept.append(std::move(m_segments[index]));
        }
    }
    if (kept.isEmpty() || endsWithLineBreak) {
        kept.append(QString());
    }
    m_segments = std::move(kept);
}

} // namespace orvane
