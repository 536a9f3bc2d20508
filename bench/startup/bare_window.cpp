// The yardstick for the start-up benchmark: the least a Qt Widgets program does to put one painted
// window on the screen. Sized like the main window so that both paint a similar area.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("bare_window"));
    label.setWindowTitle(QStringLiteral("bare_window"));
    label.resize(538, 448);
    label.show();
    return app.exec();
}
