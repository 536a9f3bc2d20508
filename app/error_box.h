// The box that reports an error no handler dealt with.
//
// The box is titled "Palvoren", shows the stop icon, the error's message and one OK button. It
// belongs to the application rather than to any window and is application modal: every other
// window of the program is disabled until OK is pressed, which has the focus. Assistive tools know
// it as an alert whose label holds the message; Ctrl+C copies its title, message and button as
// text. Any mouse or keyboard grab is released first, so the box can be reached. Afterwards the
// window that was active is activated again and the widget that had the focus gets it back, as far
// as each still exists and is visible.
//
// The message is shown as plain text, exactly as written, since it carries the user's texts and
// file paths. It wraps at word boundaries, and inside a word longer than a line; a message taller
// than the screen allows scrolls, Tab taking the keyboard there. The box is centred on the screen
// that shows the active window (with none active, the program's window), and lies within it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace palvoren {

// The box's text for an error message (UTF-8): the message, with "." appended when it does not
// already end in a full stop or another byte at or below it (blank, punctuation, control). Every
// byte of a multibyte character lies above, so a message ending in Japanese gets the "." too.
std::string ErrorBoxText(std::string_view message);

// The message for something thrown that is not a std::exception.
inline constexpr std::string_view kUnknownErrorMessage = "予期しないエラーが発生しました";

// Shows the box for the error's message and returns when it is dismissed. Needs a QApplication;
// never throws (a box that cannot be shown is given up silently).
void ShowErrorBox(const std::exception& error) noexcept;

}  // namespace palvoren
