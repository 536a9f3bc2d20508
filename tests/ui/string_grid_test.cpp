#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>
#include <stdexcept>
#include <vector>

#include "ui/grid_cell.h"
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

// Where the standings widths put cell (column, row) in the grid, without the lines after it.
QRect CellRect(int column, int row) {
    int left = 2;
    for (int c = 0; c < column; ++c) {
        left += kWidths[c] + 1;
    }
    return {left, 2 + row * 25, kWidths[column], 24};
}

// The current cell and the selected range in grid cells; a selection that is not one whole
// rectangle reads as an empty one.
QPoint CurrentCell(const StringGrid& grid) {
    return {grid.currentIndex().column(), grid.currentIndex().row() + 1};
}
QRect Selection(const StringGrid& grid) {
    QRect range;
    const QModelIndexList cells = grid.selectionModel()->selectedIndexes();
    for (const QModelIndex& cell : cells) {
        range |= QRect(cell.column(), cell.row() + 1, 1, 1);
    }
    return cells.size() == range.width() * range.height() ? range : QRect();
}

void SendMouse(QWidget& target, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, target.mapToGlobal(at), Qt::LeftButton, held, modifiers);
    QApplication::sendEvent(&target, &event);
}

Action Key(int key, Qt::KeyboardModifiers modifiers = {}) {
    return [=](StringGrid& grid) { QTest::keyClick(&grid, Qt::Key(key), modifiers); };
}

// A click lands on the part of the grid under the point: the corner, a header view or the cells.
Action Click(int column, int row, Qt::KeyboardModifiers modifiers = {},
             Qt::MouseButton button = Qt::LeftButton) {
    return [=](StringGrid& grid) {
        const QPoint at = CellRect(column, row).center();
        QWidget* target = grid.childAt(at);
        QTest::mouseClick(target, button, modifiers, target->mapFrom(&grid, at));
    };
}

// The press lands on the cells, which then get every move until the release, wherever it is.
Action Drag(QPoint fromCell, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
    return [=](StringGrid& grid) {
        QWidget& cells = *grid.viewport();
        const QPoint from = CellRect(fromCell.x(), fromCell.y()).center();
        SendMouse(cells, QEvent::MouseButtonPress, cells.mapFrom(&grid, from), modifiers);
        SendMouse(cells, QEvent::MouseMove, cells.mapFrom(&grid, to), modifiers);
        SendMouse(cells, QEvent::MouseButtonRelease, cells.mapFrom(&grid, to), modifiers);
    };
}

// Over the cells the view gets the wheel; over the headers it reaches the grid itself.
Action Wheel(std::initializer_list<int> deltas, bool overCells = false) {
    const std::vector<int> steps(deltas);
    return [=](StringGrid& grid) {
        QWidget* target = overCells ? grid.viewport() : &grid;
        for (int delta : steps) {
            QWheelEvent event(QPointF(50, 50), target->mapToGlobal(QPointF(50, 50)), {},
                              QPoint(0, delta), Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &event);
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

// Where a picture differs, inside the area's outer pixels, from the colour of its bottom right.
QRect Ink(const QImage& image, const QRect& area) {
    const QRect inside = area.adjusted(1, 1, -1, -1);
    const QColor background = image.pixelColor(inside.bottomRight());
    QRect ink;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (image.pixelColor(x, y) != background) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

// The lengths of the runs of `colour` along a line of pixels from `from`, one pixel per `step`.
QList<int> Runs(const QImage& image, QPoint from, QPoint step, QColor colour) {
    QList<int> runs;
    int run = 0;
    for (QPoint at = from; image.rect().contains(at); at += step) {
        if (image.pixelColor(at) == colour) {
            ++run;
        } else if (run > 0) {
            runs << std::exchange(run, 0);
        }
    }
    if (run > 0)
        runs << run;
    return runs;
}

void Show(QWidget& widget) {
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
}

// The grid with the focus, in its shown and active window, once it has told which cell is current.
void Focus(StringGrid& grid) {
    grid.window()->show();
    QVERIFY(QTest::qWaitForWindowActive(grid.window()));
    grid.setFocus();
    QCoreApplication::processEvents();
}

}  // namespace

class StringGridTest : public QObject {
    Q_OBJECT

private slots:
    void startsEmptyAtTheFirstDataCell() {
        StringGrid grid;
        for (int column = 0; column < StringGrid::kColumnCount; ++column) {
            for (int row = 0; row < StringGrid::kRowCount; ++row) {
                QCOMPARE(Cell(grid, column, row), QString());
            }
        }
        QCOMPARE(Selection(grid), QRect(1, 1, 1, 1));
        QCOMPARE(grid.size(), QSize(465, 129));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.SetCellText(0, 5, "x"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.SetColumnWidth(9, 40));
        Focus(grid);
        QCOMPARE(CurrentCell(grid), QPoint(1, 1));
        // Each column with the line after it.
        QCOMPARE(grid.visualRect(grid.model()->index(0, 0)).width(), 64 + 1);
        QCOMPARE(grid.visualRect(grid.model()->index(0, 3)).width(), 64 + 1);
    }

    void standingsWidthsFillTheFrameExactly_data() {
        QTest::addColumn<int>("fontPixels");
        QTest::newRow("the window's font") << 12;
        QTest::newRow("a font too large for the cells") << 40;
    }
    void standingsWidthsFillTheFrameExactly() {
        QFETCH(int, fontPixels);
        StringGrid grid;
        QFont font = grid.font();
        font.setPixelSize(fontPixels);
        grid.setFont(font);
        SetUp(grid);
        Show(grid);
        for (int column = 0; column < StringGrid::kColumnCount; ++column) {
            const QModelIndex cell = grid.model()->index(0, column);
            QCOMPARE(grid.visualRect(cell).width(), kWidths[column] + 1);
        }
        // Header row and cells, each cell with the lines after it, inside the border.
        QCOMPARE(grid.horizontalHeader()->geometry(), QRect(2, 2, 461, 25));
        QCOMPARE(grid.viewport()->geometry(), QRect(2, 27, 461, 100));
        QCOMPARE(grid.visualRect(grid.model()->index(0, 1)), QRect(93, 0, 41, 25));
        // The last cell's lines are the last pixels inside the 2-pixel border.
        const QRect last = grid.visualRect(grid.model()->index(3, 8));
        QCOMPARE(last.bottomRight(), grid.viewport()->rect().bottomRight());
        QCOMPARE(grid.viewport()->geometry().right(), grid.width() - 3);
        QCOMPARE(grid.viewport()->geometry().bottom(), grid.height() - 3);
        QCOMPARE(grid.horizontalScrollBar()->maximum(), 0);
        QCOMPARE(grid.verticalScrollBar()->maximum(), 0);
        QVERIFY(!grid.horizontalScrollBar()->isVisible() && !grid.verticalScrollBar()->isVisible());
    }

    void keysOtherThanNavigationChangeNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("typing does not edit or search") << int(Qt::Key_A) << 0 << "a";
        QTest::newRow("f2 does not edit") << int(Qt::Key_F2) << 0 << "";
        QTest::newRow("enter does not edit") << int(Qt::Key_Return) << 0 << "\r";
        QTest::newRow("delete does not clear") << int(Qt::Key_Delete) << 0 << "";
        QTest::newRow("space does not select") << int(Qt::Key_Space) << 0 << " ";
        QTest::newRow("ctrl+a does not select all")
            << int(Qt::Key_A) << int(Qt::ControlModifier) << "\x01";
    }
    void keysOtherThanNavigationChangeNothing() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        StringGrid grid;
        grid.SetCellText(1, 1, "3");
        grid.SetCellText(4, 3, "a");  // what type-to-search would jump to
        Focus(grid);
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&grid, &press);
        QVERIFY2(!press.isAccepted(), "the window around the grid must see the key");
        grid.keyboardSearch(text);  // as a text from an input method would search
        QCOMPARE(Cell(grid, 1, 1), "3");
        QCOMPARE(CurrentCell(grid), QPoint(1, 1));
        QCOMPARE(Selection(grid), QRect(1, 1, 1, 1));
        QVERIFY(!grid.isPersistentEditorOpen(grid.currentIndex()));
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
        row("a plain move at the edge still collapses it", {1, 2},
            Both(Key(Qt::Key_Down, Qt::ShiftModifier), Key(Qt::Key_Left)), {1, 3});
        row("click selects the data cell", {1, 1}, Click(5, 3), {5, 3});
        row("shift+click selects from the anchor", {2, 2}, Click(4, 3, Qt::ShiftModifier), {4, 3},
            QRect(2, 2, 3, 2));
        row("shift+click after a key stretches from its cell", {2, 2},
            Both(Key(Qt::Key_Right), Click(5, 4, Qt::ShiftModifier)), {5, 4}, QRect(3, 2, 3, 3));
        row("ctrl+click is a plain click", {2, 2}, Click(4, 3, Qt::ControlModifier), {4, 3});
        row("right click selects nothing", {1, 1}, Click(4, 4, {}, Qt::RightButton), {1, 1});
        row("click on a team name selects nothing", {3, 3}, Click(0, 2), {3, 3});
        row("click on a column header selects nothing", {3, 3}, Click(4, 0), {3, 3});
        row("click on the corner selects nothing", {3, 3}, Click(0, 0), {3, 3});
        row("drag selects the rectangle", {1, 1}, Drag({2, 1}, {196, 113} /* in (3, 4) */), {3, 4},
            QRect(2, 1, 2, 4));
        row("drag over the headers stops at the data cells", {1, 1}, Drag({3, 3}, {-40, -40}),
            {1, 1}, QRect(1, 1, 3, 3));
        row("drag past the far corner stops at the last cell", {1, 1}, Drag({2, 2}, {900, 900}),
            {8, 4}, QRect(2, 2, 7, 3));
        row("shift+drag after a key stretches from its cell", {2, 2},
            Both(Key(Qt::Key_Right), Drag({5, 3}, CellRect(6, 4).center(), Qt::ShiftModifier)),
            {6, 4}, QRect(3, 2, 4, 3));
        row("shift+drag after the wheel stretches from its cell", {2, 2},
            Both(Wheel({-120}), Drag({4, 4}, CellRect(5, 4).center(), Qt::ShiftModifier)), {5, 4},
            QRect(2, 3, 4, 2));
        row("wheel down moves one row down", {3, 2}, Wheel({-120}), {3, 3});
        row("wheel up over the cells moves one row up", {3, 2}, Wheel({120}, true), {3, 1});
        row("wheel stops at the last row", {3, 4}, Wheel({-120}), {3, 4});
        row("half notches add up to one row", {3, 2}, Wheel({-60, -60}), {3, 3});
        row("wheel collapses the selection", {2, 2},
            Both(Key(Qt::Key_Right, Qt::ShiftModifier), Wheel({-120}, true)), {3, 3});
    }
    void navigation() {
        QFETCH(QPoint, start);
        QFETCH(Action, action);
        StringGrid grid;
        SetUp(grid);
        Show(grid);
        Click(start.x(), start.y())(grid);
        action(grid);
        QTEST(CurrentCell(grid), "current");
        QTEST(Selection(grid), "selection");
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
        Click(0, 0)(*grid);
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
        Focus(*grid);
        QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs.currentIndex(), 1);
        QCOMPARE(Selection(*grid), QRect(1, 1, 1, 1));
    }

    void storesTextWholeAndClipsItWhenDrawn_data() {
        QTest::addColumn<QPoint>("cell");
        QTest::newRow("data cell") << QPoint(2, 3);
        QTest::newRow("column header") << QPoint(4, 0);
        QTest::newRow("team name") << QPoint(0, 2);
    }
    void storesTextWholeAndClipsItWhenDrawn() {
        QFETCH(QPoint, cell);
        const QString text = QString("日本").repeated(50000);
        StringGrid grid;
        SetUp(grid);
        grid.SetCellText(cell.x(), cell.y(), text.toStdString());
        QCOMPARE(Cell(grid, cell.x(), cell.y()), text);
        // The cell to the right stays blank.
        QCOMPARE(Ink(grid.grab().toImage(), CellRect(cell.x() + 1, cell.y())), QRect());
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
        auto* field = new QLineEdit(&window);
        Focus(*grid);
        QKeyEvent extend(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
        QApplication::sendEvent(grid, &extend);
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->text(QAccessible::Name), QString("グループA"));
        QAccessibleTableInterface* cells = table->tableInterface();
        QCOMPARE(cells->rowCount(), 4);
        QCOMPARE(cells->columnCount(), 9);
        QCOMPARE(cells->selectedCellCount(), 2);
        // After the corner of the view's hidden row headers, child i is grid cell (i % 10 - 1,
        // i / 10) or a nameless row header: the header row, then each team's row with its name
        // first, so that reading a row reads the team.
        QCOMPARE(table->childCount(), 50);
        for (int i = 1; i < table->childCount(); ++i) {
            QAccessibleInterface* child = table->child(i);
            const int column = i % 10 - 1;
            QCOMPARE(child->text(QAccessible::Name),
                     column < 0 ? QString() : Cell(*grid, column, i / 10));
            QCOMPARE(child->role(), column < 0 ? QAccessible::RowHeader
                                    : i < 10   ? QAccessible::ColumnHeader
                                               : QAccessible::Cell);
            QCOMPARE(table->indexOfChild(child), i);
        }
        for (int row = 1; row < StringGrid::kRowCount; ++row) {
            for (int column = 0; column < StringGrid::kColumnCount; ++column) {
                QCOMPARE(cells->columnDescription(column), Cell(*grid, column, 0));
                QAccessibleInterface* cell = cells->cellAt(row - 1, column);
                QCOMPARE(cell->text(QAccessible::Name), Cell(*grid, column, row));
                QCOMPARE(cell->tableCellInterface()->isSelected(),
                         row == 1 && column >= 1 && column <= 2);
            }
        }
        // Whatever an assistive tool selects, the selection stays one rectangle of data cells.
        QVERIFY(cells->selectRow(1));
        QCOMPARE(Selection(*grid), QRect(1, 2, 8, 1));
        QVERIFY(cells->selectColumn(3));
        QCOMPARE(Selection(*grid), QRect(3, 1, 1, 4));
        // Only while the grid has the focus does a cell say it has it.
        QVERIFY(cells->cellAt(0, 2)->state().focused);  // the current cell
        field->setFocus();
        for (int i = 0; i < table->childCount(); ++i)
            QVERIFY(!table->child(i)->state().focused);
    }

    void linesAreWholeDevicePixelsAtEveryScale_data() {
        QTest::addColumn<qreal>("scale");
        for (const qreal scale : {1.0, 1.25, 1.5, 1.75, 2.0})
            QTest::addRow("%d %%", qRound(scale * 100)) << scale;
    }
    void linesAreWholeDevicePixelsAtEveryScale() {
        QFETCH(qreal, scale);
        StringGrid grid;
        SetUp(grid);
        for (int column = 0; column < StringGrid::kColumnCount; ++column) {
            for (int row = 0; row < StringGrid::kRowCount; ++row)
                grid.SetCellText(column, row, column + row == 0 ? "-" : "8");
        }
        QImage image(grid.size() * scale, QImage::Format_RGB32);
        image.fill(grid.palette().color(QPalette::Window));
        image.setDevicePixelRatio(scale);
        grid.render(&image);
        QDir().mkpath(PALVOREN_ARTIFACTS);
        image.save(QStringLiteral(PALVOREN_ARTIFACTS "/grid-at-%1.png").arg(qRound(scale * 100)));
        const int width = std::max(1, qRound(scale));
        const auto device = [&](int logical) { return qRound(logical * scale); };
        const QColor black(Qt::black), silver(0xc0, 0xc0, 0xc0);
        // Across the header row and a data row, down the team names and a data column: every
        // black rule and every silver line as wide as the others.
        const QList<QPair<QPoint, QPoint>> scans{
            {{0, device(CellRect(0, 0).bottom() - 2)}, {1, 0}},
            {{0, device(CellRect(0, 2).bottom() - 2)}, {1, 0}},
            {{device(CellRect(0, 1).center().x()), 0}, {0, 1}},
            {{device(CellRect(4, 1).center().x()), 0}, {0, 1}},
        };
        for (const auto& [from, step] : scans) {
            for (const QColor& colour : {black, silver}) {
                for (const int run : Runs(image, from, step, colour))
                    QCOMPARE(run, width);
            }
        }
        // The frame: each of its two shades one device pixel wide on every side.
        const int frame = 1;
        const QPoint middle = image.rect().center(), end = image.rect().bottomRight();
        const QList<QPair<QPoint, QPoint>> sides{{{0, middle.y()}, {1, 0}},
                                                 {{end.x(), middle.y()}, {-1, 0}},
                                                 {{middle.x(), 0}, {0, 1}},
                                                 {{middle.x(), end.y()}, {0, -1}}};
        for (const auto& [from, step] : sides) {
            const QColor outer = image.pixelColor(from);
            const QColor inner = image.pixelColor(from + step * Runs(image, from, step, outer)[0]);
            // The style's colours: dark outside black at the top and left, white outside light
            // grey at the bottom and right.
            const bool topLeft = step.x() + step.y() > 0;
            const QPalette& colours = grid.palette();
            QCOMPARE(outer.rgb(), colours.color(topLeft ? QPalette::Dark : QPalette::Light).rgb());
            QCOMPARE(inner.rgb(),
                     colours.color(topLeft ? QPalette::Shadow : QPalette::Midlight).rgb());
            QCOMPARE(Runs(image, from, step, outer).value(0), frame);
            QCOMPARE(Runs(image, from + step * frame, step, inner).value(0), frame);
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
        const QRect corner = CellRect(0, 0);
        const QRect header = CellRect(3, 0);
        const QRect name = CellRect(0, 2);
        const QRect first = CellRect(1, 1);
        const QRect data = CellRect(3, 2);
        const auto row = [](const char* rule, bool focused, QColor base, QPoint at, QColor c) {
            QTest::newRow(rule) << focused << base << at << c;
        };
        row("header cells have the button face", false, white, header.center(),
            palette.color(QPalette::Button));
        row("header edge is light at the top", false, white, header.topLeft() + QPoint(5, 0),
            palette.color(QPalette::Light));
        row("header edge is dark on the right", false, white, header.topRight() + QPoint(0, 5),
            palette.color(QPalette::Dark));
        row("the corner is a header cell", false, white, corner.center(),
            palette.color(QPalette::Button));
        row("the corner is ruled off in black", false, white,
            QPoint(corner.right() + 1, corner.center().y()), Qt::black);
        row("first cell is highlighted without focus", false, white, first.center(),
            palette.color(QPalette::Highlight));
        row("first cell keeps its colour with focus", true, white, first.center(), white);
        row("focus rectangle is dotted", true, white, first.topLeft() + QPoint(3, 0),
            palette.color(QPalette::Text));
        row("focus rectangle has gaps", true, white, first.topLeft() + QPoint(4, 0), white);
        row("header row is ruled off in black", false, white,
            QPoint(header.center().x(), header.bottom() + 1), Qt::black);
        row("lines between column headers are black", false, white,
            QPoint(header.right() + 1, header.center().y()), Qt::black);
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

    void textStartsTwoPixelsIntoItsCellInItsColour_data() {
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<int>("role");
        QTest::newRow("data cell") << QPoint(3, 2) << int(QPalette::Text);
        QTest::newRow("column header") << QPoint(5, 0) << int(QPalette::ButtonText);
        QTest::newRow("team name") << QPoint(0, 3) << int(QPalette::ButtonText);
        QTest::newRow("corner") << QPoint(0, 0) << int(QPalette::ButtonText);
    }
    void textStartsTwoPixelsIntoItsCellInItsColour() {
        QFETCH(QPoint, cell);
        QFETCH(int, role);
        StringGrid grid;
        SetUp(grid);
        QFont font = grid.font();
        font.setStyleStrategy(QFont::NoAntialias);
        grid.setFont(font);
        const QString block = QStringLiteral("█");
        grid.SetCellText(cell.x(), cell.y(), block.toStdString());
        const QRect rect = CellRect(cell.x(), cell.y());
        // The same text drawn alone into a blank cell of that size, 2 pixels from its top left.
        QImage alone(rect.size(), QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter painter(&alone);
        painter.setFont(font);
        painter.drawText(alone.rect().adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, block);
        painter.end();
        const QRect expected = Ink(alone, alone.rect()).translated(rect.topLeft());
        QVERIFY(!expected.isEmpty());
        const QImage image = grid.grab().toImage();
        QCOMPARE(Ink(image, rect), expected);
        QCOMPARE(image.pixelColor(expected.center()),
                 grid.palette().color(QPalette::ColorRole(role)));
    }
};

}  // namespace palvoren

QTEST_MAIN(palvoren::StringGridTest)
#include "string_grid_test.moc"
