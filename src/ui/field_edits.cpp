#include "ui/field_edits.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

namespace orvane {

bool isRedoKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    return (key == Qt::Key_Y && held == Qt::ControlModifier) ||
           (key == Qt::Key_Z && held == (Qt::ControlModifier | Qt::ShiftModifier));
}

bool isSelectAllKey(int key, Qt::KeyboardModifiers modifiers)
{
    return key == Qt::Key_A && (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

bool movesBetweenControls(const QFocusEvent &event)
{
    switch (event.reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    default:
        return true;
    }
}

void FieldLineEdit::focusInEvent(QFocusEvent *event)
{
    if (movesBetweenControls(*event)) {
        emit entered();
    }
    QLineEdit::focusInEvent(event);
}

void FieldLineEdit::focusOutEvent(QFocusEvent *event)
{
    if (movesBetweenControls(*event)) {
        emit left();
    }
    QLineEdit::focusOutEvent(event);
}

void FieldLineEdit::keyPressEvent(QKeyEvent *event)
{
    // The key then goes on to the field as usual.
    emit keyPressed(event->key(), event->modifiers());
    QLineEdit::keyPressEvent(event);
}

void FieldPlainTextEdit::focusInEvent(QFocusEvent *event)
{
    if (movesBetweenControls(*event)) {
        emit entered();
    }
    QPlainTextEdit::focusInEvent(event);
}

void FieldPlainTextEdit::focusOutEvent(QFocusEvent *event)
{
    if (movesBetweenControls(*event)) {
        emit left();
    }
    QPlainTextEdit::focusOutEvent(event);
}

void FieldPlainTextEdit::keyPressEvent(QKeyEvent *event)
{
    emit keyPressed(event->key(), event->modifiers());
    if (isRedoKey(event->key(), event->modifiers())) {
        // Done here, so that a platform that binds the key too does not redo twice.
        redo();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void markPlaceholderShown(QWidget *field, bool shown)
{
    if (field->property("placeholderShown").toBool() == shown) {
        return;
    }
    field->setProperty("placeholderShown", shown);
    // A style sheet reads dynamic properties when it polishes a widget.
    field->style()->unpolish(field);
    field->style()->polish(field);
}

QString placeholderStyleRule(const QColor &placeholderColour)
{
    return QStringLiteral(
               "QLineEdit[placeholderShown=\"true\"], "
               "QPlainTextEdit[placeholderShown=\"true\"] { color: rgba(%1, %2, %3, %4); }\n")
        .arg(placeholderColour.red())
        .arg(placeholderColour.green())
        .arg(placeholderColour.blue())
        .arg(placeholderColour.alpha());
}

} // namespace orvane
