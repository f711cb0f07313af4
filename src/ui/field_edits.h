#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace orvane {

// Ctrl+A alone (the keypad flag aside): the fields' select-all key.
bool isSelectAllKey(int key, Qt::KeyboardModifiers modifiers);

// Ctrl+Y or Ctrl+Shift+Z (the keypad flag aside): the page list's redo keys on every platform.
// Qt binds redo to one of them only, by the platform's conventions (Ctrl+Shift+Z on X11).
bool isRedoKey(int key, Qt::KeyboardModifiers modifiers);

// The keyboard focus moving from one control of the window to another enters and leaves a field;
// a popup menu, a modal box or the window losing activation only borrow it.
bool movesBetweenControls(const QFocusEvent &event);

// The placeholders the fields show as their text while they hold nothing.
inline constexpr char kPagesPlaceholder[] = "Paste your URLs here";
inline constexpr char kLinksPlaceholder[] = "example.com";
inline constexpr char kContentPlaceholder[] = "Your Content";

// The fields show their placeholders as their text. Marked as such, a field draws it in the
// palette's placeholder colour (the style sheet rule below), so that it does not look typed.
void markPlaceholderShown(QWidget *field, bool shown);
QString placeholderStyleRule(const QColor &placeholderColour);

// An input field that says when the user enters it from another control and leaves it for one,
// and which key is pressed in it, each before the field's own handling runs.
class FieldLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void entered();
    void left();
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// The same for a text of many lines, which redoes on both redo keys.
class FieldPlainTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

signals:
    void entered();
    void left();
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace orvane
