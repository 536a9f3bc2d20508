#include "ui/calc_button.h"

#include <QKeyEvent>

namespace palvoren {

CalcButton::CalcButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    setDefault(false);
}

void CalcButton::SetArrowNeighbours(QWidget* previous, QWidget* next) {
    previous_ = previous;
    next_ = next;
}

void CalcButton::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QWidget* target = nullptr;
    Qt::FocusReason reason = Qt::TabFocusReason;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // QPushButton ignores Enter unless it is a default button, which this one must not be.
            if (plain && !event->isAutoRepeat()) {
                click();
                return;
            }
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            target = next_;
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            target = previous_;
            reason = Qt::BacktabFocusReason;
            break;
        default:
            break;
    }
    if (plain && target != nullptr) {
        target->setFocus(reason);
        return;
    }
    QPushButton::keyPressEvent(event);
}

}  // namespace palvoren
