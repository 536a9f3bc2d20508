// Requests to end the program from outside close the window on the GUI thread.
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <optional>

#include "app/application.h"
#include "app/error_box.h"
#include "app/signal_bridge.h"

namespace palvoren {
namespace {

// The handler currently installed for a signal.
void (*HandlerOf(int signal))(int) {
    struct sigaction current {};
    ::sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

}  // namespace

class SignalBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        window_.emplace();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*window_));
    }
    void cleanup() { window_.reset(); }

    void closesTheWindow_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("terminate request closes the window") << SIGTERM;
        QTest::newRow("interrupt from the terminal closes the window") << SIGINT;
        QTest::newRow("hang-up closes the window") << SIGHUP;
    }
    void closesTheWindow() {
        QFETCH(int, signal);
        const SignalBridge bridge(&*window_);
        QVERIFY(bridge.Active());
        std::raise(signal);
        QTRY_VERIFY(!window_->isVisible());
    }

    void closesAnOpenBoxFirst() {
        const SignalBridge bridge(&*window_);
        bool boxSeen = false;
        QTimer::singleShot(50, [&boxSeen] {
            boxSeen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            std::raise(SIGTERM);
        });
        ShowErrorMessage("x");  // returns only when the box has gone
        QVERIFY(boxSeen);
        QTRY_VERIFY(!window_->isVisible());
    }

    void ignoredHangUpStaysIgnored() {
        const auto previous = std::signal(SIGHUP, SIG_IGN);
        {
            const SignalBridge bridge(&*window_);
            std::raise(SIGHUP);
            QTest::qWait(100);
            QVERIFY(window_->isVisible());
        }
        std::signal(SIGHUP, previous);
    }

    void onlyOneBridgeListens() {
        const SignalBridge first(&*window_);
        const SignalBridge second(&*window_);
        QVERIFY(first.Active());
        QVERIFY(!second.Active());
    }

    void handlersAreGivenBack() {
        const auto before = HandlerOf(SIGTERM);
        {
            const SignalBridge bridge(&*window_);
            QVERIFY(HandlerOf(SIGTERM) != before);
        }
        QVERIFY(HandlerOf(SIGTERM) == before);
        const SignalBridge again(&*window_);
        QVERIFY(again.Active());
    }

private:
    std::optional<QWidget> window_;
};

}  // namespace palvoren

int main(int argc, char** argv) {
    palvoren::Application app(argc, argv);
    // The test closes its windows one after another; the application must outlive each.
    app.setQuitOnLastWindowClosed(false);
    palvoren::SignalBridgeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "signal_bridge_test.moc"
