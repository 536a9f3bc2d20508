#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>
#include <stdexcept>
#include <vector>

#include "ui/string_grid.h"

namespace palvoren {
// What a navigation row does to the grid: keys, clicks, a drag or wheel turns.
using Action = std::function<void(StringGrid&)>;
}  // namespace palvoren
Q_DECLARE_METATYPE(palvoren::Action)

namespace palvoren {
namespace {

constexpr std::array kWidths{92, 40, 40, 40, 50, 50, 50, 50, 40};

void SetUp(StringGrid& grid) {
    for (int column = 0; column < StringGrid::kColumnCount; ++column) {
        grid.SetColumnWidth(column, kWidths[column]);
    }
}

void SendMouse(StringGrid& grid, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, grid.mapToGlobal(at), Qt::LeftButton, held, {});
    QApplication::sendEvent(&grid, &event);
}

Action Key(int key, Qt::KeyboardModifiers modifiers = {}) {
    return [=](StringGrid& grid) { QTest::keyClick(&grid, Qt::Key(key), modifiers); };
}

Action Click(int column, int row, Qt::KeyboardModifiers modifiers = {},
             Qt::MouseButton button = Qt::LeftButton) {
    return [=](StringGrid& grid) {
        QTest::mouseClick(&grid, button, modifiers, grid.CellRect(column, row).center());
    };
}

Action Drag(QPoint fromCell, QPoint to) {
    return [=](StringGrid& grid) {
        SendMouse(grid, QEvent::MouseButtonPress,
                  grid.CellRect(fromCell.x(), fromCell.y()).center());
        SendMouse(grid, QEvent::MouseMove, to);
        SendMouse(grid, QEvent::MouseButtonRelease, to);
    };
}

Action Wheel(std::initializer_list<int> deltas) {
    const std::vector<int> steps(deltas);
    return [=](StringGrid& grid) {
        for (int delta : steps) {
            QWheelEvent event(QPointF(50, 50), grid.mapToGlobal(QPointF(50, 50)), {},
                              QPoint(0, delta), Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&grid, &event);
            QVERIFY(event.isAccepted());
        }
    };
}

Action Both(Action first, Action second) {
    return [=](StringGrid& grid) {
        first(grid);
        second(grid);
    };
}

}  // namespace

class StringGridTest : public QObject {
    Q_OBJECT

private slots:
    void startsEmptyAtTheFirstDataCell() {
        StringGrid grid;
        QCOMPARE(grid.ColumnWidth(4), 64);
        for (int column = 0; column < StringGrid::kColumnCount; ++column) {
            for (int row = 0; row < StringGrid::kRowCount; ++row) {
                QCOMPARE(grid.CellText(column, row), std::string());
            }
        }
        QCOMPARE(grid.CurrentCell(), QPoint(1, 1));
        QCOMPARE(grid.Selection(), QRect(1, 1, 1, 1));
        QCOMPARE(grid.size(), QSize(465, 129));
        QVERIFY(grid.findChildren<QScrollBar*>().isEmpty());
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.Cell(9, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.SetCellText(0, 5, "x"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.CellText(-1, 2));
    }

    void standingsWidthsFillTheFrameExactly() {
        StringGrid grid;
        SetUp(grid);
        QCOMPARE(grid.CellRect(0, 0), QRect(2, 2, 92, 24));
        QCOMPARE(grid.CellRect(1, 1), QRect(95, 27, 40, 24));
        // The last cell's lines are the last pixels inside the 2-pixel border.
        const QRect last = grid.CellRect(8, 4);
        QCOMPARE(last, QRect(422, 102, 40, 24));
        QCOMPARE(last.right() + 1, grid.width() - 3);
        QCOMPARE(last.bottom() + 1, grid.height() - 3);
    }

    void keysOtherThanNavigationChangeNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("typing does not edit") << int(Qt::Key_A) << "a";
        QTest::newRow("f2 does not edit") << int(Qt::Key_F2) << "";
        QTest::newRow("enter does not edit") << int(Qt::Key_Return) << "\r";
        QTest::newRow("delete does not clear") << int(Qt::Key_Delete) << "";
    }
    void keysOtherThanNavigationChangeNothing() {
        QFETCH(int, key);
        QFETCH(QString, text);
        StringGrid grid;
        grid.SetCellText(1, 1, "3");
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&grid, &press);
        QVERIFY2(!press.isAccepted(), "the window around the grid must see the key");
        QCOMPARE(grid.CellText(1, 1), std::string("3"));
        QCOMPARE(grid.CurrentCell(), QPoint(1, 1));
    }

    void navigation_data() {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QPoint>("current");
        QTest::addColumn<QRect>("selection");
        const auto row = [](const char* name, QPoint start, Action action, QPoint current,
                            QRect selection = {}) {
            QTest::newRow(name) << start << action << current
                                << (selection.isNull() ? QRect(current, current) : selection);
        };
        row("right moves one column", {1, 1}, Key(Qt::Key_Right), {2, 1});
        row("left stops at the name column", {1, 2}, Key(Qt::Key_Left), {1, 2});
        row("up stops at the header row", {3, 1}, Key(Qt::Key_Up), {3, 1});
        row("keypad down moves like down", {3, 2}, Key(Qt::Key_Down, Qt::KeypadModifier), {3, 3});
        row("home goes to column 1", {5, 3}, Key(Qt::Key_Home), {1, 3});
        row("end goes to column 8", {2, 3}, Key(Qt::Key_End), {8, 3});
        row("page up goes to row 1", {4, 3}, Key(Qt::Key_PageUp), {4, 1});
        row("page down goes to row 4", {4, 2}, Key(Qt::Key_PageDown), {4, 4});
        row("ctrl+home goes to the first data cell", {5, 3}, Key(Qt::Key_Home, Qt::ControlModifier),
            {1, 1});
        row("ctrl+end goes to the last data cell", {2, 2}, Key(Qt::Key_End, Qt::ControlModifier),
            {8, 4});
        row("ctrl+left goes to column 1", {6, 2}, Key(Qt::Key_Left, Qt::ControlModifier), {1, 2});
        row("ctrl+right goes to column 8", {2, 2}, Key(Qt::Key_Right, Qt::ControlModifier), {8, 2});
        row("ctrl+up goes to row 1", {3, 4}, Key(Qt::Key_Up, Qt::ControlModifier), {3, 1});
        row("ctrl+down goes to row 4", {3, 1}, Key(Qt::Key_Down, Qt::ControlModifier), {3, 4});
        row("ctrl+page up goes to column 1", {5, 3}, Key(Qt::Key_PageUp, Qt::ControlModifier),
            {1, 3});
        row("ctrl+page down goes to column 8", {5, 3}, Key(Qt::Key_PageDown, Qt::ControlModifier),
            {8, 3});
        row("alt+arrow is left to the window", {2, 2}, Key(Qt::Key_Right, Qt::AltModifier), {2, 2});
        row("shift+right extends from the anchor", {2, 2}, Key(Qt::Key_Right, Qt::ShiftModifier),
            {3, 2}, QRect(2, 2, 2, 1));
        row("shift+up extends upwards", {3, 3}, Key(Qt::Key_Up, Qt::ShiftModifier), {3, 2},
            QRect(3, 2, 1, 2));
        row("shift+ctrl+end selects to the last data cell", {2, 2},
            Key(Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier), {8, 4}, QRect(2, 2, 7, 3));
        row("a plain move collapses the selection", {2, 2},
            Both(Key(Qt::Key_Down, Qt::ShiftModifier), Key(Qt::Key_Right)), {3, 3});
        row("click selects the data cell", {1, 1}, Click(5, 3), {5, 3});
        row("shift+click selects from the anchor", {2, 2}, Click(4, 3, Qt::ShiftModifier), {4, 3},
            QRect(2, 2, 3, 2));
        row("right click selects nothing", {1, 1}, Click(4, 4, {}, Qt::RightButton), {1, 1});
        row("click on a team name selects nothing", {3, 3}, Click(0, 2), {3, 3});
        row("click on a column header selects nothing", {3, 3}, Click(4, 0), {3, 3});
        row("drag selects the rectangle", {1, 1}, Drag({2, 1}, {196, 113} /* in (3, 4) */), {3, 4},
            QRect(2, 1, 2, 4));
        row("drag over the headers stops at the data cells", {1, 1}, Drag({3, 3}, {-40, -40}),
            {1, 1}, QRect(1, 1, 3, 3));
        row("drag past the far corner stops at the last cell", {1, 1}, Drag({2, 2}, {900, 900}),
            {8, 4}, QRect(2, 2, 7, 3));
        row("wheel down moves one row down", {3, 2}, Wheel({-120}), {3, 3});
        row("wheel up moves one row up", {3, 2}, Wheel({120}), {3, 1});
        row("wheel stops at the last row", {3, 4}, Wheel({-120}), {3, 4});
        row("half notches add up to one row", {3, 2}, Wheel({-60, -60}), {3, 3});
    }
    void navigation() {
        QFETCH(QPoint, start);
        QFETCH(Action, action);
        StringGrid grid;
        SetUp(grid);
        QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.CellRect(start.x(), start.y()).center());
        action(grid);
        QTEST(grid.CurrentCell(), "current");
        QTEST(grid.Selection(), "selection");
    }

    void tabKeysFollowTheFocusChain() {
        QWidget window;
        auto* before = new QLineEdit(&window);
        auto* grid = new StringGrid(&window);
        auto* after = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(0, 0).center());
        QVERIFY2(grid->hasFocus(), "a click on a header still focuses the grid");
        QTest::keyClick(grid, Qt::Key_Tab);
        QVERIFY(after->hasFocus());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(before->hasFocus());
    }

    void ctrlTabReachesTheTabPages() {
        QTabWidget tabs;
        auto* grid = new StringGrid;
        tabs.addTab(grid, "A");
        tabs.addTab(new QWidget, "B");
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs.currentIndex(), 1);
        QCOMPARE(grid->CurrentCell(), QPoint(1, 1));
    }

    void storesTextWhole_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("long text") << QByteArray("日本").repeated(50000);
        QTest::newRow("bytes that are not utf-8") << QByteArray("\xff\xfe\x80", 3);
        QTest::newRow("embedded nul") << QByteArray("a\0b", 3);
    }
    void storesTextWhole() {
        QFETCH(QByteArray, text);
        StringGrid grid;
        grid.SetCellText(2, 3, text.toStdString());
        QCOMPARE(grid.CellText(2, 3), text.toStdString());
        QVERIFY(!grid.grab().isNull());
    }

    void accessibleTableReadsTheCells() {
        QWidget window;
        auto* grid = new StringGrid(&window);
        grid->setAccessibleName("グループA");
        for (int column = 0; column < StringGrid::kColumnCount; ++column) {
            for (int row = 0; row < StringGrid::kRowCount; ++row) {
                grid->SetCellText(column, row, std::to_string(column * 10 + row));
            }
        }
        QKeyEvent extend(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
        QApplication::sendEvent(grid, &extend);
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->text(QAccessible::Name), QString("グループA"));
        QCOMPARE(table->tableInterface()->rowCount(), 4);
        QCOMPARE(table->tableInterface()->columnCount(), 8);
        QCOMPARE(table->tableInterface()->selectedCellCount(), 2);
        QCOMPARE(table->childCount(), 45);
        for (int i = 0; i < table->childCount(); ++i) {
            QCOMPARE(table->child(i)->text(QAccessible::Name), grid->Cell(i % 9, i / 9));
            QCOMPARE(table->indexOfChild(table->child(i)), i);
        }
        for (int row = 1; row < StringGrid::kRowCount; ++row) {
            for (int column = 1; column < StringGrid::kColumnCount; ++column) {
                QAccessibleTableCellInterface* cell =
                    table->tableInterface()->cellAt(row - 1, column - 1)->tableCellInterface();
                QCOMPARE(cell->columnHeaderCells().value(0)->text(QAccessible::Name),
                         grid->Cell(column, 0));
                QCOMPARE(cell->rowHeaderCells().value(0)->text(QAccessible::Name),
                         grid->Cell(0, row));
                QCOMPARE(cell->isSelected(), row == 1 && column <= 2);
            }
        }
    }

    void paintsTheDocumentedColours_data() {
        QTest::addColumn<bool>("focused");
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("colour");
        StringGrid grid;
        SetUp(grid);
        const QPalette palette = grid.palette();
        const QColor white = palette.color(QPalette::Base);
        const QColor silver(0xc0, 0xc0, 0xc0);
        const QRect header = grid.CellRect(3, 0);
        const QRect name = grid.CellRect(0, 2);
        const QRect first = grid.CellRect(1, 1);
        const QRect data = grid.CellRect(3, 2);
        const auto row = [](const char* rule, bool focused, QColor base, QPoint at, QColor c) {
            QTest::newRow(rule) << focused << base << at << c;
        };
        row("header cells have the button face", false, white, header.center(),
            palette.color(QPalette::Button));
        row("header edge is light at the top", false, white, header.topLeft() + QPoint(5, 0),
            palette.color(QPalette::Light));
        row("first cell is highlighted without focus", false, white, first.center(),
            palette.color(QPalette::Highlight));
        row("first cell keeps its colour with focus", true, white, first.center(), white);
        row("focus rectangle is dotted", true, white, first.topLeft() + QPoint(3, 0),
            palette.color(QPalette::Text));
        row("focus rectangle has gaps", true, white, first.topLeft() + QPoint(4, 0), white);
        row("header row is ruled off in black", false, white,
            QPoint(header.center().x(), header.bottom() + 1), Qt::black);
        row("name column is ruled off in black", false, white,
            QPoint(name.right() + 1, name.center().y()), Qt::black);
        row("data cells are ruled in silver", false, white,
            QPoint(data.right() + 1, data.center().y()), silver);
        row("on a silver base data lines are grey", false, silver,
            QPoint(data.center().x(), data.bottom() + 1), QColor(0x80, 0x80, 0x80));
    }
    void paintsTheDocumentedColours() {
        QFETCH(bool, focused);
        QFETCH(QColor, base);
        QFETCH(QPoint, pixel);
        StringGrid grid;
        SetUp(grid);
        QPalette palette = grid.palette();
        palette.setColor(QPalette::Base, base);
        grid.setPalette(palette);
        if (focused) {
            grid.show();
            QVERIFY(QTest::qWaitForWindowActive(&grid));
            grid.setFocus();
            QVERIFY(grid.hasFocus());
        }
        QFETCH(QColor, colour);
        QCOMPARE(grid.grab().toImage().pixelColor(pixel).name(), colour.name());
    }
};

}  // namespace palvoren

QTEST_MAIN(palvoren::StringGridTest)
#include "string_grid_test.moc"
