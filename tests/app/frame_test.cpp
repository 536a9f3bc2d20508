// The error box as the user meets it, the application's last net under the event handlers, and
// the signals and other ends of the program.
#include <sys/wait.h>
#include <unistd.h>
#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <stdexcept>
#include <thread>

#include "app/application.h"
#include "app/error_box.h"
#include "app/session_end.h"
#include "standings/int_text.h"
#include "ui/tvarnek.h"

namespace palvoren {

// Waits for the modal box, hands it to inspect(), then presses its button.
void AnswerBox(std::function<void(QWidget&)> inspect, int triesLeft = 200) {
    QTimer::singleShot(10, [inspect, triesLeft] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) {
            if (triesLeft > 0)
                AnswerBox(inspect, triesLeft - 1);
            return;
        }
        inspect(*box);
        box->findChild<QPushButton*>()->click();
    });
}

// The box's text as shown: the part of the box it takes, whether it is there whole (no line cut
// off, every line within reach of the scroll bar) and what assistive tools read.
struct ShownText {
    QRect place;
    bool whole = false;
    QString read;
};

ShownText Shown(QWidget& box) {
    auto* view = box.findChild<QTextEdit*>();
    if (view == nullptr || !view->isVisible())
        return {};
    const QRect seen = view->visibleRegion().boundingRect();
    const QSizeF text = view->document()->size();
    const QScrollBar& scroll = *view->verticalScrollBar();
    return {seen.translated(view->mapTo(&box, QPoint())),
            view->document()->idealWidth() <= view->viewport()->width() &&
                text.height() <= view->viewport()->height() + scroll.maximum(),
            QAccessible::queryAccessibleInterface(view)->text(QAccessible::Name)};
}

bool ShowsStopIcon(QWidget& box) {
    const QIcon stop = box.style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QList<QLabel*> labels = box.findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
        const QPixmap shown = label->pixmap();
        return label->isVisible() && !shown.isNull() &&
               shown.toImage() == stop.pixmap(shown.size()).toImage();
    });
}

// Throws what the test gives it on a user event.
class Thrower : public QObject {
public:
    std::function<void()> toThrow;
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            toThrow();
        return QObject::event(event);
    }
};

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        window_.emplace();
        auto* layout = new QVBoxLayout(&*window_);
        field_ = new QLineEdit(&*window_);
        button_ = new QPushButton(QStringLiteral("計算"), &*window_);
        layout->addWidget(new QLineEdit(&*window_));
        layout->addWidget(field_);
        layout->addWidget(button_);
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*window_));
        field_->setFocus();
        field_->grabMouse();
    }
    void cleanup() { window_.reset(); }

    void boxBlocksTheWindowAndGivesTheFocusBack() {
        QSignalSpy clicks(button_.data(), &QPushButton::clicked);
        QString title, text, copied;
        bool stopIcon = false, alert = false, grabbed = true;
        qsizetype buttons = 0;
        AnswerBox([&](QWidget& box) {
            title = box.windowTitle(), text = Shown(box).read, stopIcon = ShowsStopIcon(box);
            alert =
                QAccessible::queryAccessibleInterface(&box)->role() == QAccessible::AlertMessage;
            buttons = box.findChildren<QAbstractButton*>().size();
            grabbed = QWidget::mouseGrabber() != nullptr;
            QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
            ClickButtonAsTheUser();
        });
        ShowErrorBox(std::runtime_error("書き込めません"));
        QCOMPARE(title, QStringLiteral("Palvoren"));
        QCOMPARE(text, QStringLiteral("書き込めません."));
        QVERIFY(stopIcon);
        QVERIFY2(alert, "screen readers would not read the box out");
        QCOMPARE(buttons, 1);
        QVERIFY2(copied.contains(QStringLiteral("\n書き込めません.\n")), qPrintable(copied));
        QVERIFY2(!grabbed, "a mouse grab keeps the box out of reach");
        QCOMPARE(clicks.count(), 0);
        QTRY_COMPARE(QApplication::focusWidget(), field_.data());
        ClickButtonAsTheUser();
        QCOMPARE(clicks.count(), 1);
    }

    void escapedErrorIsShownAndTheProgramGoesOn_data() {
        QTest::addColumn<std::function<void()>>("toThrow");
        QTest::addColumn<QString>("text");
        QTest::newRow("conversion error shows the bad text")
            << std::function<void()>([] { throw EConvertError("1x"); })
            << QStringLiteral("'1x' は整数ではありません.");
        QTest::newRow("non-standard exception shows the unexpected error message")
            << std::function<void()>([] { throw 42; })
            << QString::fromUtf8(kUnknownErrorMessage.data(), kUnknownErrorMessage.size()) + ".";
        QTest::newRow("tags in a score are shown as typed")
            << std::function<void()>([] { throw EConvertError("<b>7</b>"); })
            << QStringLiteral("'<b>7</b>' は整数ではありません.");
        QTest::newRow("an entity in a score is shown as typed")
            << std::function<void()>([] { throw EConvertError("&lt;9"); })
            << QStringLiteral("'&lt;9' は整数ではありません.");
    }
    void escapedErrorIsShownAndTheProgramGoesOn() {
        QFETCH(std::function<void()>, toThrow);
        QFETCH(QString, text);
        Thrower thrower;
        thrower.toThrow = toThrow;
        QString shown;
        AnswerBox([&](QWidget& box) { shown = Shown(box).read; });
        QEvent event(QEvent::User);
        QVERIFY(QCoreApplication::sendEvent(&thrower, &event));
        QCOMPARE(shown, text);
        QVERIFY(window_->isVisible());
    }

    void boxFitsTheActiveWindowsScreen_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("screen");
        QTest::newRow("the box goes to the active window's screen, not the pointer's")
            << "書き込めません" << 1;
        QString path;  // of long folder names, as deep folders on a shared drive give
        while (path.size() < 4000)
            path += QLatin1Char('/') + QString(150, QChar(char16_t(u'a' + path.size() % 26)));
        QTest::newRow("a 4000-character path wraps inside the box")
            << path.left(4000) + " に書き込めません" << 0;
        QTest::newRow("a text taller than the screen scrolls inside the box")
            << "'" + QString(20000, QLatin1Char('7')) + "x' は整数ではありません" << 0;
    }
    void boxFitsTheActiveWindowsScreen() {
        QFETCH(QString, message);
        QFETCH(int, screen);
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screen >= screens.size())
            QSKIP("a second screen comes with the two-screen run");
        const QRect area = screens[screen]->availableGeometry();
        window_->move(area.topLeft() + QPoint(40, 40));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*window_));
        QCursor::setPos(screens[(screen + 1) % screens.size()]->geometry().center());
        QRect frame, inside;
        ShownText shown;
        bool selectedAtTheEnd = false;
        AnswerBox([&](QWidget& box) {
            frame = box.frameGeometry(), inside = box.rect(), shown = Shown(box);
            // From OK, Tab reaches the text, where Ctrl+End scrolls to its end and Shift+Home
            // selects the last line.
            if (!QTest::qWaitForWindowActive(&box))
                return;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            auto* view = qobject_cast<QTextEdit*>(QApplication::focusWidget());
            if (view == nullptr)
                return;
            QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
            const QScrollBar& scroll = *view->verticalScrollBar();
            selectedAtTheEnd =
                view->textCursor().hasSelection() && scroll.value() == scroll.maximum();
        });
        ShowErrorBox(std::runtime_error(message.toStdString()));
        QVERIFY2(selectedAtTheEnd, "the keyboard cannot scroll and select the text");
        QVERIFY2(area.contains(frame), "the box leaves its screen");
        QVERIFY2((frame.center() - area.center()).manhattanLength() <= 2, "the box is not centred");
        QVERIFY2(inside.contains(shown.place), "the text runs past the box");
        QVERIFY2(shown.whole, "the text is cut");
        QCOMPARE(shown.read, message + ".");
    }

    void signalClosesBoxAndWindow_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("withBox");
        QTest::newRow("terminate request closes the window") << SIGTERM << false;
        QTest::newRow("interrupt closes the window") << SIGINT << false;
        QTest::newRow("hang-up closes the window") << SIGHUP << false;
        QTest::newRow("terminate request closes an open box first") << SIGTERM << true;
    }
    void signalClosesBoxAndWindow() {
        QFETCH(int, signal);
        QFETCH(bool, withBox);
        std::optional<SessionEnd> end(std::in_place);
        QVERIFY(!end->Unattended());
        if (withBox) {
            QTimer::singleShot(50, [signal] { std::raise(signal); });
            ShowErrorBox(std::runtime_error("x"));  // returns only once the box has gone
        } else {
            std::raise(signal);
        }
        QTRY_VERIFY(!window_->isVisible());
        QVERIFY2(end->Unattended(), "a failed save would wait in a box");
    }

    // A log-out sends SIGTERM and SIGHUP together, and the save after the loop hears no signal:
    // only a person's second Ctrl+C may end the program before it has saved. In a child, so that
    // the test goes on.
    void onlyASecondInterruptEndsAtOnce_data() {
        QTest::addColumn<QList<int>>("sent");
        QTest::addColumn<QList<int>>("sentWhileWindingDown");  // after the object has gone
        QTest::addColumn<int>("endedBy");                      // 0: it went on to its own end
        const QList<int> none;
        QTest::newRow("terminate request, then hang-up")
            << QList<int>{SIGTERM, SIGHUP} << none << 0;
        QTest::newRow("hang-up, then terminate request")
            << QList<int>{SIGHUP, SIGTERM} << none << 0;
        QTest::newRow("any number of both")
            << QList<int>{SIGTERM, SIGHUP, SIGTERM, SIGHUP} << none << 0;
        QTest::newRow("an interrupt after a terminate request")
            << QList<int>{SIGTERM, SIGINT} << none << 0;
        QTest::newRow("a second interrupt") << QList<int>{SIGINT, SIGHUP, SIGINT} << none << SIGINT;
        QTest::newRow("a terminate request while the process winds down after a hang-up")
            << QList<int>{SIGHUP} << QList<int>{SIGTERM} << 0;
    }
    void onlyASecondInterruptEndsAtOnce() {
        QFETCH(QList<int>, sent);
        QFETCH(QList<int>, sentWhileWindingDown);
        QFETCH(int, endedBy);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::optional<SessionEnd> end(std::in_place);
            for (const int signal : sent)
                std::raise(signal);
            end.reset();
            for (const int signal : sentWhileWindingDown)
                std::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WIFSIGNALED(status) ? WTERMSIG(status) : 0, endedBy);
    }

    // Qt's Wayland client reports the broken connection from its own thread and ends the process
    // right after: the save must be done on the GUI thread before that thread goes on.
    void brokenConnectionOnAnotherThreadSavesFirst() {
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("palvoren.ini"));
        TVarnek window({[](const std::exception&) {}, path.toStdString()});
        window.SetFieldText(1, "7");
        SessionEnd end;
        end.SaveAtAbruptEnd(window);
        QTest::ignoreMessage(QtWarningMsg, "The Wayland connection broke.");
        QByteArray savedFirst;
        std::thread other([&] {
            qWarning("The Wayland connection broke.");
            QFile saved(path);
            savedFirst = saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
        });
        QTRY_VERIFY(QFile::exists(path));
        other.join();
        QVERIFY2(savedFirst.contains("\nedit1=7\n"), savedFirst.constData());
    }

private:
    // Through the window system, where modality applies; an event sent to the widget itself
    // would get through any box.
    void ClickButtonAsTheUser() {
        const QPoint centre = button_->mapTo(&*window_, button_->rect().center());
        QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, centre);
    }

    std::optional<QWidget> window_;
    QPointer<QLineEdit> field_;
    QPointer<QPushButton> button_;
};

}  // namespace palvoren

int main(int argc, char** argv) {
    palvoren::Application app(argc, argv);
    app.setQuitOnLastWindowClosed(false);  // each test closes its own window
    palvoren::FrameTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "frame_test.moc"
