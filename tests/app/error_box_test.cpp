// The error box as the user meets it, and the application's last net under the event handlers.
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>
#include <stdexcept>

#include "app/application.h"
#include "app/error_box.h"
#include "standings/int_text.h"

namespace palvoren {
namespace {

// What the test saw of the box while it was up.
struct Seen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    bool parentless = false;
    Qt::WindowModality modality = Qt::NonModal;
    bool mouseGrabbed = true;
};

// Waits for the modal box, lets inspect() look at it, then presses OK.
void AnswerBox(Seen& seen, std::function<void(QMessageBox&)> inspect = {}, int triesLeft = 200) {
    QTimer::singleShot(10, [&seen, inspect, triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (triesLeft > 0)
                AnswerBox(seen, inspect, triesLeft - 1);
            return;
        }
        seen = {true,
                box->windowTitle(),
                box->text(),
                box->icon(),
                box->buttons().size(),
                box->parentWidget() == nullptr,
                box->windowModality(),
                QWidget::mouseGrabber() != nullptr};
        if (inspect)
            inspect(*box);
        box->button(QMessageBox::Ok)->click();
    });
}

// Throws whatever the test gives it when it receives a user event.
class Thrower : public QObject {
public:
    std::function<void()> toThrow;
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            toThrow();
        return QObject::event(event);
    }
};

}  // namespace

class ErrorBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        window_.emplace();
        auto* layout = new QVBoxLayout(&*window_);
        first_ = new QLineEdit(&*window_);
        second_ = new QLineEdit(&*window_);
        button_ = new QPushButton(QStringLiteral("計算"), &*window_);
        for (QWidget* w : {static_cast<QWidget*>(first_), static_cast<QWidget*>(second_),
                           static_cast<QWidget*>(button_)})
            layout->addWidget(w);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*window_));
        second_->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), second_.data());
    }
    void cleanup() { window_.reset(); }

    void applicationCarriesNameAndIcon() {
        QCOMPARE(QApplication::applicationDisplayName(), QStringLiteral("Palvoren"));
        const QIcon icon = window_->windowIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(32, 32).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);  // a round ball on a clear ground
        QCOMPARE(image.pixelColor(15, 15).alpha(), 255);
    }

    void looksLikeAnErrorBox() {
        Seen seen;
        AnswerBox(seen);
        ShowErrorBox(std::runtime_error("書き込めません"));
        QVERIFY(seen.shown);
        QCOMPARE(seen.title, QStringLiteral("Palvoren"));
        QCOMPARE(seen.text, QStringLiteral("書き込めません."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, 1);
        QVERIFY(seen.parentless);
        QCOMPARE(seen.modality, Qt::ApplicationModal);
    }

    void blocksOtherWindowsWhileShown() {
        QSignalSpy clicks(button_.data(), &QPushButton::clicked);
        Seen seen;
        AnswerBox(seen, [this](QMessageBox&) { ClickButtonAsTheUser(); });
        ShowErrorMessage("x");
        QVERIFY(seen.shown);
        QCOMPARE(clicks.count(), 0);
        ClickButtonAsTheUser();
        QCOMPARE(clicks.count(), 1);
    }

    void givesTheFocusBack() {
        Seen seen;
        QWidget* focusDuringBox = nullptr;
        AnswerBox(seen, [&](QMessageBox&) { focusDuringBox = QApplication::focusWidget(); });
        ShowErrorMessage("x");
        QVERIFY(seen.shown);
        QVERIFY(focusDuringBox != second_);
        QTRY_COMPARE(QApplication::activeWindow(), &*window_);
        QTRY_COMPARE(QApplication::focusWidget(), second_.data());
    }

    void releasesTheMouseGrab() {
        first_->grabMouse();
        QCOMPARE(QWidget::mouseGrabber(), first_.data());
        Seen seen;
        AnswerBox(seen);
        ShowErrorMessage("x");
        QVERIFY(seen.shown);
        QVERIFY(!seen.mouseGrabbed);
    }

    void catchesWhatEscapesAHandler_data() {
        QTest::addColumn<std::function<void()>>("toThrow");
        QTest::addColumn<QString>("text");
        QTest::newRow("std exception shows its message with a full stop")
            << std::function<void()>([] { throw std::runtime_error("壊れました"); })
            << QStringLiteral("壊れました.");
        QTest::newRow("conversion error shows the bad text")
            << std::function<void()>([] { throw EConvertError("1x"); })
            << QStringLiteral("'1x' は整数ではありません.");
        QTest::newRow("anything else shows the unexpected error message")
            << std::function<void()>([] { throw 42; })
            << QString::fromUtf8(kUnknownErrorMessage.data(), kUnknownErrorMessage.size()) + ".";
    }
    void catchesWhatEscapesAHandler() {
        QFETCH(std::function<void()>, toThrow);
        QFETCH(QString, text);
        Thrower thrower;
        thrower.toThrow = toThrow;
        Seen seen;
        AnswerBox(seen);
        QEvent event(QEvent::User);
        QVERIFY(QCoreApplication::sendEvent(&thrower, &event));
        QVERIFY(seen.shown);
        QCOMPARE(seen.text, text);
        QVERIFY(window_->isVisible());  // the program goes on
    }

private:
    // Through the window system, where modality is applied; a click sent to the widget itself
    // would get through any box.
    void ClickButtonAsTheUser() {
        const QPoint centre = button_->mapTo(&*window_, button_->rect().center());
        QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, centre);
    }

    std::optional<QWidget> window_;
    QPointer<QLineEdit> first_;
    QPointer<QLineEdit> second_;
    QPointer<QPushButton> button_;
};

}  // namespace palvoren

int main(int argc, char** argv) {
    palvoren::Application app(argc, argv);
    palvoren::ErrorBoxTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "error_box_test.moc"
