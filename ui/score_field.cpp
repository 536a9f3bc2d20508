#include "ui/score_field.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <limits>

namespace palvoren {

ScoreField::ScoreField(QWidget* parent) : QLineEdit(parent) {
    // QLineEdit caps texts at 32767 characters by default; a score field takes whatever is typed
    // or was saved, so a long text comes back from the settings file whole.
    setMaxLength(std::numeric_limits<int>::max());
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void ScoreField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // QLineEdit selects on Tab and Shift+Tab only; a page switch or an arrow step from the button
    // arrives as a programmatic focus change and should select too. Returning to the window or
    // closing a popup keeps the selection the field had.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
        reason != Qt::PopupFocusReason)
        selectAll();
}

void ScoreField::keyPressEvent(QKeyEvent* event) {
    // A one-line field has no line above or below. Qt lets the vertical arrows go unused; the
    // one-line edits the program's users know step through the text with them as with Left and
    // Right, so the field does the same.
    const bool vertical = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    const Qt::KeyboardModifiers other =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier);
    if (!vertical || other != Qt::NoModifier) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent sideways(event->type(), event->key() == Qt::Key_Up ? Qt::Key_Left : Qt::Key_Right,
                       event->modifiers(), event->text(), event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&sideways);
    event->setAccepted(sideways.isAccepted());
}

}  // namespace palvoren
