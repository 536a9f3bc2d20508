// The 計算 button of a group page.
//
// It is never the window's default button, so Enter in a score field does nothing; Enter, Return
// and Space on the focused button press it, as does a click. The button has no use for the arrow
// keys, so Right and Down step the focus to the next control of the page and Left and Up to the
// previous one. Unlike Tab, the step also lands on the grid, which is not a tab stop.
#pragma once

#include <QPointer>
#include <QPushButton>

namespace palvoren {

class CalcButton : public QPushButton {
    Q_OBJECT

public:
    explicit CalcButton(const QString& text, QWidget* parent = nullptr);

    // The controls the arrow keys step to.
    void SetArrowNeighbours(QWidget* previous, QWidget* next);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> previous_;
    QPointer<QWidget> next_;
};

}  // namespace palvoren
