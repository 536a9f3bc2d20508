#include "app/error_box.h"

#include <QApplication>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QWidget>
#include <algorithm>

#include "app/wrapped_label.h"
#include "ui/layout.h"
#include "ui/screen_fit.h"
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

// The screen of the window the user was working in: the active one, else the program's own
// window, which is still there while hidden (a save that fails on closing comes after the hide).
QScreen* BoxScreen() {
    const QWidget* window = QApplication::activeWindow();
    if (window == nullptr) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto main = std::find_if(windows.begin(), windows.end(), [](const QWidget* widget) {
            return widget->windowType() == Qt::Window;
        });
        window = main != windows.end() ? *main : nullptr;
    }
    return window != nullptr ? ScreenShowing(*window) : nullptr;
}

// The message box with its text as written, wrapped to fit the screen it belongs to and centred
// there. Qt's own label guesses at markup and cannot break a word wider than its line, and a
// parentless box goes to the pointer's screen; the text goes to a WrappedLabel in the label's
// place instead, and the box to the given screen.
class ErrorBox : public QMessageBox {
public:
    ErrorBox(const QString& text, QScreen* screen)
        : QMessageBox(QMessageBox::Critical, QStringLiteral("Palvoren"), QString(),
                      QMessageBox::Ok),
          screen_(screen) {
        if (screen != nullptr)
            setScreen(screen);
        setWindowModality(Qt::ApplicationModal);
        // Qt's label stays, hidden, with the plain text: the box still reports and copies it.
        setTextFormat(Qt::PlainText);
        setText(text);
        shown_ = FittedToScreen(new WrappedLabel(text, this));
        if (!PutInLabelsPlace()) {
            // Qt's label then shows the text itself: plain, though perhaps not wrapped.
            delete shown_;
            shown_ = nullptr;
        }
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        // Qt has sized the box by limits of its own; the text was fitted to the screen, so the
        // box takes the room its content needs.
        if (layout() != nullptr)
            setFixedSize(size().expandedTo(layout()->totalMinimumSize()));
        if (!event->spontaneous())
            move(CentredIn(Area(), frameGeometry().size()));
    }

    void changeEvent(QEvent* event) override {
        // A style change rebuilds the box's layout around Qt's label.
        QMessageBox::changeEvent(event);
        if (event->type() == QEvent::StyleChange)
            PutInLabelsPlace();
    }

private:
    QRect Area() const {
        return (screen_ != nullptr ? screen_.data() : screen())->availableGeometry();
    }

    // The label at the narrowest width whose text fits the screen's height: the usual width, or
    // the widest the screen allows. A text too tall even then scrolls, whole.
    QWidget* FittedToScreen(WrappedLabel* label) {
        const QRect area = Area();
        const int widest = std::max(1, area.width() - layout::kBoxChrome.width());
        const int tallest = std::max(1, area.height() - layout::kBoxChrome.height());
        int width = std::clamp(std::min(label->NaturalWidth(), layout::kBoxTextWidth), 1, widest);
        if (label->heightForWidth(width) > tallest)
            width = widest;
        if (label->heightForWidth(width) <= tallest) {
            label->setFixedSize(width, label->heightForWidth(width));
            return label;
        }
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::ClickFocus);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        width = std::max(1, widest - scroll->verticalScrollBar()->sizeHint().width());
        label->setFixedSize(width, label->heightForWidth(width));
        scroll->setWidget(label);
        scroll->setFixedSize(widest, tallest);
        return scroll;
    }

    bool PutInLabelsPlace() {
        auto* label =
            findChild<QLabel*>(QStringLiteral("qt_msgbox_label"), Qt::FindDirectChildrenOnly);
        if (label == nullptr || layout() == nullptr || shown_ == nullptr)
            return false;
        QLayoutItem* replaced = layout()->replaceWidget(label, shown_);
        if (replaced == nullptr)
            return false;
        delete replaced;
        label->hide();
        return true;
    }

    QPointer<QScreen> screen_;
    QWidget* shown_ = nullptr;
};

void ShowBox(const QString& text) {
    ReleaseGrabs();
    const FocusKeeper keeper;
    ErrorBox box(text, BoxScreen());
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
