#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "ui/utf8.h"

namespace palvoren {
namespace {

void ReleaseGrabs() {
    // A grab would keep every click and key press away from the box.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QWidget* grabber = QWidget::keyboardGrabber())
        grabber->releaseKeyboard();
}

// Puts the activation and focus back where the user left them, once the box has gone.
class FocusKeeper {
public:
    FocusKeeper() : window_(QApplication::activeWindow()), focus_(QApplication::focusWidget()) {}
    ~FocusKeeper() {
        if (window_ == nullptr || !window_->isVisible())
            return;
        window_->activateWindow();
        if (focus_ != nullptr && focus_->isVisible())
            focus_->setFocus(Qt::ActiveWindowFocusReason);
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

void ShowBox(const QString& text) {
    ReleaseGrabs();
    const FocusKeeper keeper;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Palvoren"), text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return text;
}

void ShowErrorMessage(std::string_view message) noexcept {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    try {
        const std::string text = ErrorBoxText(message);
        ShowBox(Utf8(text));
    } catch (...) {
        // The box is the last place an error can be reported; there is nowhere further to go.
    }
}

void ShowErrorBox(const std::exception& error) noexcept {
    const char* message = error.what();
    ShowErrorMessage(message != nullptr ? message : "");
}

}  // namespace palvoren
