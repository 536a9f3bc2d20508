// The program's QApplication: named "Palvoren", with the program's icon, and the last net under
// every event handler. An exception that escapes a handler ends at notify(): a std::exception is
// shown with ShowErrorBox, anything else with a box saying that an unexpected error occurred; the
// event counts as handled and the program goes on.
#pragma once

#include <QApplication>

namespace palvoren {

class Application : public QApplication {
    Q_OBJECT

public:
    // argc must outlive the application, as for QApplication.
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace palvoren
