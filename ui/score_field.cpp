#include "ui/score_field.h"

#include <QFocusEvent>
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
    switch (event->reason()) {
        case Qt::MouseFocusReason:
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
            break;
        default:
            selectAll();
            break;
    }
}

}  // namespace palvoren
