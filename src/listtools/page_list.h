#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace orvane {

// A read of a page-list line yields at most this many characters.
inline constexpr qsizetype kMaxLineRead = 4096;

// The text with every leading and trailing character up to U+0020 removed (blanks, tabs, line
// breaks and other control characters; U+00A0 and the like stay).
QString trimmedText(QStringView text);

// Edits to a page list, applied in one go: the same result as deleting the marked lines one by
// one from the last line up, and replacing the texts of others.
struct PageListEdits
{
    std::vector<bool> deleted;       // by line index; may be shorter than the list
    std::map<int, QString> replaced; // line index -> new text
    bool isEmpty() const;
};

// The page addresses, one per line, addressed by a zero-based index. A last line that is empty (a
// text that ends with a line break) is not a line.
class PageList
{
public:
    virtual ~PageList() = default;
    virtual int lineCount() const = 0;
    // The line's text without its line break, at most its first kMaxLineRead characters.
    virtual QString line(int index) const = 0;
    // Removes the line's text and the line break after it (for the last line: only its text, so
    // the text then ends with a line break).
    virtual void deleteLine(int index) = 0;
    virtual void replaceLine(int index, const QString &text) = 0;
    virtual void applyEdits(const PageListEdits &edits) = 0;
    virtual void suspendRepaint() {}
    virtual void resumeRepaint() {}
};

// The lines of one text, separated by "\n". Holds whole lines; reads are capped like any other.
class TextLines final : public PageList
{
public:
    explicit TextLines(const QString &text = {});
    static TextLines fromLines(const QStringList &lines, bool endsWithLineBreak = false);

    QString text() const { return m_segments.join(u'\n'); }
    // Every line in full.
    QStringList lines() const;

    int lineCount() const override;
    QString line(int index) const override;
    void deleteLine(int index) override;
    void replaceLine(int index, const QString &text) override;
    void applyEdits(const PageListEdits &edits) override;

private:
    // The text split at every "\n": a final empty segment means the text ends with a line break.
    QStringList m_segments;
};

} // namespace orvane
