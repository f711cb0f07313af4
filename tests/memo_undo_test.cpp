#include "listtools/list_cleaning.h"
#include "support/named_cases.h"
#include "support/qt_print.h"
#include "support/window_fixture.h"
#include "ui/memo_page_list.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>

namespace orvane {
namespace {

using orvane::testing::caseName;

// Every way of editing each line (kept, deleted, replaced, "replaced" by its own text), on texts
// with and without a final line break and with blank lines: the memo ends like the plain lines,
// in one undo step, and undo and redo give back the exact texts.
TEST(MemoPageList, EditsMatchThePlainLinesInOneUndoStep)
{
    QPlainTextEdit memo;
    MemoPageList list(memo);
    QTextDocument &document = *memo.document();
    for (const QString &original : {QStringLiteral("a\nb\nc\nd"), QStringLiteral("a\nb\n\nd\n"),
                                    QStringLiteral("a"), QStringLiteral("\n")}) {
        const int lines = TextLines(original).lineCount();
        int patterns = 1;
        for (int i = 0; i < lines; ++i) {
            patterns *= 4;
        }
        for (int pattern = 0; pattern < patterns; ++pattern) {
            TextLines expected(original);
            PageListEdits edits;
            edits.deleted.resize(lines);
            for (int index = 0, rest = pattern; index < lines; ++index, rest /= 4) {
                if (rest % 4 == 1) {
                    edits.deleted[index] = true;
                } else if (rest % 4 > 1) {
                    edits.replaced[index] =
                        rest % 4 == 2 ? QStringLiteral("r%1").arg(index) : expected.line(index);
                }
            }
            expected.applyEdits(edits);
            SCOPED_TRACE(QString(original).replace(u'\n', QLatin1String("\\n")).toStdString() +
                         " pattern " + std::to_string(pattern));
            memo.setPlainText(original);
            list.applyEdits(edits);
            EXPECT_EQ(memo.toPlainText(), expected.text());
            if (expected.text() == original) {
                EXPECT_FALSE(document.isUndoAvailable());
                continue;
            }
            document.undo();
            EXPECT_EQ(memo.toPlainText(), original);
            EXPECT_FALSE(document.isUndoAvailable());
            document.redo();
            EXPECT_EQ(memo.toPlainText(), expected.text());
        }
    }
}

TEST(MemoPageList, LineEditsAreUndoSteps)
{
    QPlainTextEdit memo;
    MemoPageList list(memo);
    QTextDocument &document = *memo.document();
    memo.setPlainText(QStringLiteral("a\nb\nc"));
    list.deleteLine(2);
    list.replaceLine(0, QStringLiteral("x"));
    const int steps = document.availableUndoSteps();
    list.replaceLine(1, QStringLiteral("b")); // no change, no step
    EXPECT_EQ(document.availableUndoSteps(), steps);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("x\nb\n"));
    document.undo();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("a\nb\n"));
    document.undo();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("a\nb\nc"));
    EXPECT_FALSE(document.isUndoAvailable());
}

// The real window, the memo given the focus the way Tab gives it.
class MemoUndo : public testing::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    QPlainTextEdit &memo() { return *pagesMemo(); }
    QString text() { return memo().toPlainText(); }
    int undoSteps() { return memo().document()->availableUndoSteps(); }
    void enterMemo() { memo().setFocus(Qt::TabFocusReason); }
    void leaveMemo() { websiteEdit()->setFocus(Qt::TabFocusReason); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(&memo(), key, modifiers);
    }
    // Types the lines at the end of the memo, one Return between them.
    void type(const QStringList &lines)
    {
        key(Qt::Key_End);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                key(Qt::Key_Return, Qt::NoModifier);
            }
            QTest::keyClicks(&memo(), lines[i]);
        }
    }
    void trigger(const char *item) { form.findChild<QAction *>(QLatin1String(item))->trigger(); }
    // Ctrl+Z until nothing is left to undo; the texts on the way.
    QStringList undoAll()
    {
        QStringList texts;
        for (int i = 0; i < 500 && memo().document()->isUndoAvailable(); ++i) {
            key(Qt::Key_Z);
            texts << text();
        }
        return texts;
    }

    const QString placeholder = QStringLiteral("Paste your URLs here");
};

struct CleaningCase
{
    const char *name;
    const char *item;
    CleaningOutcome (*command)(PageList &);
    const char16_t *pasted; // set in one go; the lines after it are typed
    QStringList typed;
};

class MemoCleaningUndo : public MemoUndo, public ::testing::WithParamInterface<CleaningCase>
{};

TEST_P(MemoCleaningUndo, CtrlZGivesTheListBackAndCtrlYTakesItAgain)
{
    const CleaningCase &c = GetParam();
    const QString pasted = QString::fromUtf16(c.pasted);
    memo().setPlainText(pasted);
    enterMemo();
    type(c.typed);
    const QString before = text();
    ASSERT_EQ(before, pasted + c.typed.join(u'\n'));
    TextLines cleaned(before);
    c.command(cleaned);
    ASSERT_NE(cleaned.text(), before) << "the case must give the command something to do";

    trigger(c.item);
    EXPECT_EQ(text(), cleaned.text());
    const int steps = undoSteps();
    trigger(c.item); // nothing left to do: no step either
    EXPECT_EQ(undoSteps(), steps);

    key(Qt::Key_Z);
    EXPECT_EQ(text(), before);
    key(Qt::Key_Y);
    EXPECT_EQ(text(), cleaned.text());
    key(Qt::Key_Z);
    EXPECT_EQ(text(), before);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), cleaned.text());
    key(Qt::Key_Z);
    EXPECT_EQ(text(), before);

    // The typing before the command is still there to undo, back to the pasted list.
    key(Qt::Key_Z);
    EXPECT_NE(text(), before);
    EXPECT_TRUE(before.startsWith(text())) << text().toStdString();
    undoAll();
    EXPECT_EQ(text(), pasted);
}

// Each case changes the first, a middle or the last line, with and without the final line break.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, MemoCleaningUndo, ::testing::Values(
    CleaningCase{"RemoveDuplicateUrls", "RemoveDuplicateURLs1", removeDuplicateUrls,
                 u"http://a.example/x\nhttp://b.example/\n  http://a.example/x \n",
                 {"http://c.example/", "http://b.example/"}},
    CleaningCase{"RemoveDuplicateDomains", "RemoveDuplicateDomains1", removeDuplicateDomains,
                 u"http://Shop.example/a\n\nhttp://news.example/\n",
                 {"https://shop.example/b", "http://other.example/"}},
    CleaningCase{"RemoveInvalidUrls", "RemoveInvalidUrls1", removeInvalidUrls,
                 u"not an address\nhttp://a.example/\n", {"also not one", "http://b.example/"}},
    CleaningCase{"TrimToDomain", "rimtodomain1", trimToDomain,
                 u"http://a.example/x?y=1\nhttp://b.example\n", {"https://c.example/page", "no address"}},
    CleaningCase{"RemoveEmptyLines", "RemoveEmptyLines1", removeEmptyLines,
                 u"\n  \nhttp://a.example/\n\t\n", {"http://b.example/", "", "   "}}),
    caseName);
// clang-format on

TEST_F(MemoUndo, PlaceholderComesAndGoesWithoutATraceInTheHistory)
{
    // The start-up placeholder is no step to undo to.
    EXPECT_EQ(text(), placeholder);
    enterMemo();
    EXPECT_EQ(text(), QString());
    key(Qt::Key_Z);
    EXPECT_EQ(text(), QString());

    type({"http://a.example/", "see our partners"});
    const QString list = text();
    key(Qt::Key_A);
    key(Qt::Key_Delete, Qt::NoModifier);
    ASSERT_EQ(text(), QString());
    const int steps = undoSteps();
    for (int cycle = 0; cycle < 3; ++cycle) {
        leaveMemo();
        EXPECT_EQ(text(), placeholder);
        enterMemo();
        EXPECT_EQ(text(), QString());
    }
    EXPECT_EQ(undoSteps(), steps);
    key(Qt::Key_Z);
    EXPECT_EQ(text(), list);
    key(Qt::Key_Y);
    EXPECT_EQ(text(), QString());
    key(Qt::Key_Y);
    EXPECT_EQ(text(), QString());

    // Emptied by a command, the same; and no undo ever brings the placeholder back.
    type({"see our partners", "no address"});
    const QString invalid = text();
    trigger("RemoveInvalidUrls1");
    ASSERT_EQ(text(), QString());
    leaveMemo();
    enterMemo();
    key(Qt::Key_Z);
    EXPECT_EQ(text(), invalid);
    const QStringList undone = undoAll();
    EXPECT_TRUE(undone.contains(list));
    EXPECT_FALSE(undone.contains(placeholder));
    EXPECT_EQ(text(), QString());
}

TEST_F(MemoUndo, PlaceholderTypedByTheUserGoesAsAnEditOfItsOwn)
{
    enterMemo();
    type({placeholder});
    leaveMemo();
    EXPECT_EQ(text(), placeholder);
    enterMemo();
    EXPECT_EQ(text(), QString());
    key(Qt::Key_Z);
    EXPECT_EQ(text(), placeholder);
    undoAll();
    EXPECT_EQ(text(), QString());
}

struct KeptText
{
    const char *name;
    const char16_t *text;
};

class MemoKeepsText : public MemoUndo, public ::testing::WithParamInterface<KeptText>
{};

// Only an empty memo gets the placeholder, only the exact placeholder goes.
TEST_P(MemoKeepsText, LeavingAndEnteringLeaveTheTextAlone)
{
    const QString kept = QString::fromUtf16(GetParam().text);
    memo().setPlainText(kept);
    for (int cycle = 0; cycle < 2; ++cycle) {
        enterMemo();
        EXPECT_EQ(text(), kept);
        leaveMemo();
        EXPECT_EQ(text(), kept);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, MemoKeepsText,
                         ::testing::Values(KeptText{"Blank", u" "}, KeptText{"LineBreak", u"\n"},
                                           KeptText{"TrailingBlank", u"Paste your URLs here "},
                                           KeptText{"TrailingBreak", u"Paste your URLs here\n"},
                                           KeptText{"OtherCase", u"paste your URLs here"}),
                         caseName);

} // namespace
} // namespace orvane
