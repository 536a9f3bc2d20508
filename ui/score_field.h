// A score field: a single-line box of free text holding one team's goals in one match.
//
// Any text of any length may be typed; it is judged only when the group is calculated. Input
// methods are off, so keys give plain half-width characters. Entered from the keyboard (Tab,
// Shift+Tab, a page switch, an arrow step from the button) the whole text is selected so that
// typing replaces it; entered by a mouse click, the caret goes where the user clicked.
//
// Up moves the caret like Left and Down like Right, Shift and Ctrl included (Shift extends the
// selection, Ctrl moves by word); the focus stays in the field.
#pragma once

#include <QLineEdit>

namespace palvoren {

class ScoreField : public QLineEdit {
    Q_OBJECT

public:
    explicit ScoreField(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace palvoren
