#include "app/error_box.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QtMath>
#include <algorithm>
#include <mutex>

#include "ui/layout.h"

namespace palvoren {
namespace {

// The top-left corner that centres a window of `size` in `area`, moved right and down as far as
// needed to keep that corner, and so the title bar, inside the area.
QPoint CentredIn(const QRect& area, QSize size) {
    return {std::max(area.x(), area.x() + (area.width() - size.width()) / 2),
            std::max(area.y(), area.y() + (area.height() - size.height()) / 2)};
}

// The screen of the window the user was working in: the active one if any, else the program's own
// window, which is still there while hidden (a save that fails on closing comes after the hide).
// That is the screen under the centre of its frame, else the one Qt ties it to; a hidden window
// has one too, by the place it would appear.
QScreen* BoxScreen(const QWidget* window) {
    if (window == nullptr) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto main = std::find_if(windows.begin(), windows.end(), [](const QWidget* widget) {
            return widget->windowType() == Qt::Window;
        });
        window = main != windows.end() ? *main : nullptr;
    }
    if (window == nullptr)
        return nullptr;
    QScreen* screen = QGuiApplication::screenAt(window->frameGeometry().center());
    return screen != nullptr ? screen : window->screen();
}

// The message, exactly as given, at the narrowest width at which it fits the height of `area`: the
// usual width, or the widest the area allows. It wraps inside a word longer than a line; a text
// too tall even then scrolls. The keyboard reaches it by Tab, to scroll and to select.
QTextEdit* MessageView(const QString& text, const QRect& area, QWidget* box) {
    auto* view = new QTextEdit(box);
    view->setPlainText(text);
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->setFrameShape(QFrame::NoFrame);
    view->viewport()->setAutoFillBackground(false);  // on the box's colour, as a label
    QTextDocument& document = *view->document();
    document.setDocumentMargin(0);
    const auto heightAt = [&document](int width) {
        document.setTextWidth(width);
        return qCeil(document.size().height());
    };
    const int widest = std::max(1, area.width() - layout::kBoxChrome.width());
    const int tallest = std::max(1, area.height() - layout::kBoxChrome.height());
    heightAt(-1);  // unwrapped, for the width of its widest line
    int width =
        std::clamp(std::min(qCeil(document.idealWidth()), layout::kBoxTextWidth), 1, widest);
    if (heightAt(width) > tallest)
        width = widest;
    view->setFixedSize(width, std::min(heightAt(width), tallest));
    view->setAccessibleName(text);
    return view;
}

// The stop icon beside the text and one OK below, with the title bar of a message box: no
// minimise, maximise or help button. Parentless, and so application modal while it runs.
class ErrorBox : public QDialog {
public:
    explicit ErrorBox(const QString& text)
        : QDialog(nullptr, Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
          text_(text),
          window_(QApplication::activeWindow()),
          focus_(QApplication::focusWidget()) {
        // A grab would keep every click and key press away from the box.
        if (QWidget* grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
        if (QWidget* grabber = QWidget::keyboardGrabber())
            grabber->releaseKeyboard();
        static std::once_flag alert;  // Qt keeps every factory installed, so only once
        std::call_once(alert, [] { QAccessible::installFactory(AsAlert); });
        setWindowTitle(QStringLiteral("Palvoren"));
        if (QScreen* screen = BoxScreen(window_))
            setScreen(screen);
        area_ = this->screen()->availableGeometry();
        auto* grid = new QGridLayout(this);
        grid->setSizeConstraint(QLayout::SetFixedSize);
        // The text before the icon, as assistive tools take the box's first label for its message.
        grid->addWidget(MessageView(text, area_, this), 0, 1);
        auto* icon = new QLabel(this);
        const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(
            style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(side, side));
        grid->addWidget(icon, 0, 0, Qt::AlignTop);
        buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        buttons_->button(QDialogButtonBox::Ok)->setFocus();
        connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
        grid->addWidget(buttons_, 1, 0, 1, 2);
    }

    // Puts the activation and focus back where the user left them, once the box has gone.
    ~ErrorBox() override {
        if (window_ == nullptr || !window_->isVisible())
            return;
        window_->activateWindow();
        if (focus_ != nullptr && focus_->isVisible())
            focus_->setFocus(Qt::ActiveWindowFocusReason);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (event->spontaneous())
            return;
        // Left to itself a parentless dialog opens on the pointer's screen.
        move(CentredIn(area_, frameGeometry().size()));
        // What makes a screen reader read the box out as it opens.
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }

    // Ctrl+C copies the box in the form message boxes use, for a report or a search.
    void keyPressEvent(QKeyEvent* event) override {
        if (!event->matches(QKeySequence::Copy)) {
            QDialog::keyPressEvent(event);
            return;
        }
        const QString rule = QStringLiteral("---------------------------\n");
        const QString ok = buttons_->button(QDialogButtonBox::Ok)->text();
        QGuiApplication::clipboard()->setText(rule + windowTitle() + '\n' + rule + text_ + '\n' +
                                              rule + ok + QStringLiteral("   \n") + rule);
    }

private:
    // Screen readers know a message box as an alert, and read its labels out as it opens; a
    // dialog of our own is one, and its message a label, only by interfaces that say so.
    static QAccessibleInterface* AsAlert(const QString&, QObject* object) {
        if (auto* box = dynamic_cast<ErrorBox*>(object))
            return new QAccessibleWidget(box, QAccessible::AlertMessage);
        auto* message = dynamic_cast<QTextEdit*>(object);
        if (message != nullptr && dynamic_cast<ErrorBox*>(message->window()) != nullptr)
            return new QAccessibleWidget(message, QAccessible::StaticText);
        return nullptr;
    }

    QString text_;
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
    QRect area_;
    QDialogButtonBox* buttons_;
};

}  // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return text;
}

void ShowErrorBox(const std::exception& error) noexcept {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    try {
        ErrorBox box(QString::fromUtf8(ErrorBoxText(error.what())));
        box.exec();
    } catch (...) {
        // The box is the last place an error can be reported; there is nowhere further to go.
    }
}

}  // namespace palvoren
