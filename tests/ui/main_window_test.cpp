// The main window on Qt's offscreen platform: where its controls sit, keyboard and focus, the
// calculate buttons and the settings round trip.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "test_support.h"
#include "ui/calc_button.h"
#include "ui/grid_cell.h"
#include "ui/group_page.h"
#include "ui/score_field.h"
#include "ui/string_grid.h"
#include "ui/tvarnek.h"

using namespace palvoren;

namespace {

// What a group's grid shows, all 45 cells, to compare before and after.
QStringList Snapshot(const StringGrid& grid) {
    QStringList cells;
    for (int row = 0; row < StringGrid::kRowCount; ++row)
        for (int column = 0; column < StringGrid::kColumnCount; ++column)
            cells << Cell(grid, column, row);
    return cells;
}

// The score fields as laid out, page by page in tab order (line by line, home before away): each
// field's number and left edge. The lines' tops are kFieldTops, each 16 below its match caption.
constexpr const char* kFieldPlaces[kGroupCount] = {
    "1:72 2:112 3:72 4:112 35:72 36:112 37:72 38:112 65:72 66:112 67:72 68:112",
    "9:88 10:128 11:72 12:112 45:80 46:120 47:88 48:128 77:72 78:112 79:88 80:128",
    "21:72 22:112 23:56 24:96 51:72 52:112 55:64 56:104 81:72 82:120 83:64 84:104",
    "25:56 26:96 31:72 32:112 59:56 60:96 61:80 62:128 93:56 94:96 95:80 96:128",
    "5:88 6:136 7:64 8:104 33:64 34:104 39:104 40:152 69:64 70:104 71:104 72:152",
    "13:88 14:128 15:88 16:136 41:88 42:136 43:88 44:136 73:104 74:152 75:96 76:136",
    "17:80 18:128 19:72 20:112 49:72 50:112 53:80 54:120 85:72 86:112 87:80 88:128",
    "27:56 28:96 29:64 30:104 57:56 58:96 63:80 64:120 89:56 90:96 91:72 92:120",
};
constexpr int kCaptionTops[kMatchesPerGroup] = {16, 56, 96, 136, 176, 216};
constexpr int kFieldTops[kMatchesPerGroup] = {32, 72, 112, 152, 192, 232};

// The page's fields in tab order, as (number, left edge).
QList<std::pair<int, int>> FieldPlaces(int groupIndex) {
    QList<std::pair<int, int>> places;
    for (const QString& place : QString(kFieldPlaces[groupIndex - 1]).split(' '))
        places.append({place.section(':', 0, 0).toInt(), place.section(':', 1).toInt()});
    return places;
}

// The page's tab stops: its fields, then the button.
QStringList ExpectedTabStops(int groupIndex) {
    QStringList names;
    for (const auto& place : FieldPlaces(groupIndex))
        names << QStringLiteral("Edit%1").arg(place.first);
    return names << QStringLiteral("Button%1").arg(groupIndex);
}

// The window's controls as assistive tools find them, by name; a page is built on the way.
QTabWidget* Tabs(const TVarnek& window) {
    return window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
}
GroupPage* Page(const TVarnek& window, int group) {
    return window.findChild<GroupPage*>(QString::fromUtf8(GroupByIndex(group).page));
}
QLineEdit* Field(const TVarnek& window, int n) {
    return Page(window, LocateField(n).groupIndex)->Field(n);
}

QString FocusName() {
    QWidget* focused = QApplication::focusWidget();
    return focused != nullptr ? focused->objectName() : QStringLiteral("(none)");
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        errors_.clear();
        window_ = std::make_unique<TVarnek>(
            Options(dir_->filePath(QStringLiteral("palvoren.ini")).toStdString()));
    }
    void cleanup() {
        window_.reset();
        dir_.reset();
    }

    void controlsSitWhereTheTablesSay_data() {
        QTest::addColumn<int>("group");
        for (int group = 1; group <= kGroupCount; ++group)
            QTest::newRow(GroupByIndex(group).pageCaption.data()) << group;
    }
    void controlsSitWhereTheTablesSay() {
        QFETCH(int, group);
        window_->show();
        Tabs(*window_)->setCurrentIndex(group - 1);
        const GroupSpec& fixture = GroupByIndex(group);
        auto* page = window_->findChild<QWidget*>(QString::fromUtf8(fixture.page));
        QVERIFY(page != nullptr);
        QCOMPARE(Tabs(*window_)->tabText(group - 1), QString::fromUtf8(fixture.pageCaption));
        for (const MatchSpec& match : fixture.matches) {
            auto* caption = page->findChild<QLabel*>(QString::fromUtf8(match.captionLabel));
            QVERIFY(caption != nullptr);
            QCOMPARE(caption->text(), QString::fromUtf8(match.captionText));
            QCOMPARE(caption->pos(), QPoint(8, kCaptionTops[match.line - 1]));
        }
        const QList<std::pair<int, int>> places = FieldPlaces(group);
        QCOMPARE(places.size(), 2 * kMatchesPerGroup);
        for (qsizetype i = 0; i < places.size(); ++i) {
            const auto [n, left] = places[i];
            auto* field = page->findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n));
            QVERIFY(field != nullptr);
            QCOMPARE(field->geometry(), QRect(left, kFieldTops[i / 2], 33, 20));
        }
        QCOMPARE(page->findChild<QLabel*>(QString::fromUtf8(fixture.upper.label))->pos(),
                 QPoint(248, 56));
        QCOMPARE(page->findChild<QLabel*>(QString::fromUtf8(fixture.lower.label))->pos(),
                 QPoint(248, 88));
        auto* button = page->findChild<QPushButton*>(QString::fromUtf8(fixture.button));
        QVERIFY(button != nullptr);
        QCOMPARE(button->geometry(), QRect(280, 224, 73, 25));
        QCOMPARE(button->text(), QStringLiteral("計算"));
        auto* grid = page->findChild<StringGrid*>(QString::fromUtf8(fixture.grid));
        QVERIFY(grid != nullptr);
        QCOMPARE(grid->geometry(), QRect(16, 272, 465, 129));
        QCOMPARE(page->findChild<QLabel*>(QStringLiteral("Label65")) != nullptr, group == 1);
        // Every control stays inside its page, so nothing is cut off at any scale factor.
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(page->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    void windowHasFixedSizeAndOneRowOfTabs() {
        window_->show();
        QCOMPARE(window_->minimumSize(), QSize(538, 448));
        QCOMPARE(window_->maximumSize(), QSize(538, 448));
        QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(Tabs(*window_)->geometry(), QRect(0, 0, 537, 445));
        QCOMPARE(Tabs(*window_)->currentIndex(), 0);
        const QTabBar* tabs = Tabs(*window_)->tabBar();
        QCOMPARE(tabs->count(), kGroupCount);
        QVERIFY(!tabs->usesScrollButtons());
        QVERIFY2(tabs->tabRect(kGroupCount - 1).right() < tabs->width(), "last tab cut off");
        QCOMPARE(tabs->tabRect(0).top(), tabs->tabRect(kGroupCount - 1).top());
        QCOMPARE(window_->pos(), QPoint(191, 108));
    }

    void tabCyclesThroughThePageOnly_data() { controlsSitWhereTheTablesSay_data(); }
    void tabCyclesThroughThePageOnly() {
        QFETCH(int, group);
        ShowActive();
        Tabs(*window_)->setCurrentIndex(group - 1);
        const QStringList stops = ExpectedTabStops(group);
        QCOMPARE(FocusName(), stops.front());
        for (int step = 1; step <= stops.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(FocusName(), stops[step % stops.size()]);
        }
        for (int step = stops.size() - 1; step >= 0; --step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(FocusName(), stops[step]);
        }
        Page(*window_, group)->Grid()->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(FocusName(), stops.front());
    }

    void ctrlTabSwitchesPagesAndFocusesTheFirstField_data() {
        QTest::addColumn<int>("fromGroup");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<int>("toGroup");
        QTest::newRow("ctrl+tab from a field goes to the next page") << 2 << "Edit12" << false << 3;
        QTest::newRow("ctrl+shift+tab on the first page wraps to the last")
            << 1 << "Edit1" << true << 8;
        QTest::newRow("ctrl+tab on the last page wraps to the first")
            << 8 << "Edit92" << false << 1;
        QTest::newRow("ctrl+tab works from the button") << 4 << "Button4" << false << 5;
        QTest::newRow("ctrl+tab works from the grid") << 6 << "StringGrid6" << false << 7;
        QTest::newRow("ctrl+shift+tab from the grid") << 6 << "StringGrid6" << true << 5;
    }
    void ctrlTabSwitchesPagesAndFocusesTheFirstField() {
        QFETCH(int, fromGroup);
        QFETCH(QString, from);
        QFETCH(bool, backwards);
        QFETCH(int, toGroup);
        ShowActive();
        Field(*window_, ExpectedTabStops(toGroup).front().mid(4).toInt())->setText("12");
        Tabs(*window_)->setCurrentIndex(fromGroup - 1);
        window_->findChild<QWidget*>(from)->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        QCOMPARE(Tabs(*window_)->currentIndex(), toGroup - 1);
        QCOMPARE(FocusName(), ExpectedTabStops(toGroup).front());
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->selectedText(), "12");
    }

    void pageKeys_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focusAfter");
        QTest::addColumn<bool>("calculates");
        QTest::addColumn<int>("movesLike");  // in a field: the key whose caret move it repeats
        const auto button = [](const char* name, Qt::Key key, const char* focusAfter,
                               bool calculates) {
            QTest::newRow(name) << "Button1" << int(key) << 0 << focusAfter << calculates << 0;
        };
        button("down steps onto the grid", Qt::Key_Down, "StringGrid1", false);
        button("right steps onto the grid", Qt::Key_Right, "StringGrid1", false);
        button("up steps back to the last field", Qt::Key_Up, "Edit68", false);
        button("left steps back to the last field", Qt::Key_Left, "Edit68", false);
        button("enter presses the button", Qt::Key_Return, "Button1", true);
        button("keypad enter presses the button", Qt::Key_Enter, "Button1", true);
        button("space presses the button", Qt::Key_Space, "Button1", true);
        const auto field = [](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers,
                              Qt::Key like) {
            QTest::newRow(name) << "Edit1" << int(key) << int(modifiers) << "Edit1" << false
                                << int(like);
        };
        field("up in a field moves the caret back like left", Qt::Key_Up, {}, Qt::Key_Left);
        field("down in a field moves the caret on like right", Qt::Key_Down, {}, Qt::Key_Right);
        field("shift+up selects back like shift+left", Qt::Key_Up, Qt::ShiftModifier, Qt::Key_Left);
        field("shift+down selects on like shift+right", Qt::Key_Down, Qt::ShiftModifier,
              Qt::Key_Right);
        field("ctrl+up moves back a word like ctrl+left", Qt::Key_Up, Qt::ControlModifier,
              Qt::Key_Left);
        field("ctrl+shift+down selects a word on like ctrl+shift+right", Qt::Key_Down,
              Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Right);
        field("keypad up moves like keypad left", Qt::Key_Up, Qt::KeypadModifier, Qt::Key_Left);
    }
    void pageKeys() {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, calculates);
        QFETCH(int, movesLike);
        ShowActive();
        auto* target = window_->findChild<QWidget*>(from);
        target->setFocus(Qt::TabFocusReason);
        const auto press = [&](int pressed) {
            QTest::keyClick(target, Qt::Key(pressed), Qt::KeyboardModifiers(modifiers));
        };
        if (auto* field = qobject_cast<QLineEdit*>(target); field != nullptr && movesLike != 0) {
            const auto caretAfter = [&](int pressed) {
                field->setText("10 20 30");
                field->setCursorPosition(4);
                press(pressed);
                return std::pair(field->cursorPosition(), field->selectedText());
            };
            const auto expected = caretAfter(movesLike);
            QVERIFY(expected != std::pair(4, QString()));
            QCOMPARE(caretAfter(key), expected);
        } else {
            press(key);
        }
        QTEST(FocusName(), "focusAfter");
        QCOMPARE(Cell(*Page(*window_, 1)->Grid(), 1, 1), calculates ? "0" : "");
    }

    void enterInAFieldCalculatesNothing() {
        ShowActive();
        Field(*window_, 1)->setText("1");
        Field(*window_, 2)->setText("0");
        QTest::keyClick(Field(*window_, 1), Qt::Key_Return);
        QCOMPARE(Cell(*Page(*window_, 1)->Grid(), 1, 1), "");
    }

    void startFocusIsTheFirstFieldSelected() {
        Field(*window_, 1)->setText("3");
        ShowActive();
        QCOMPARE(FocusName(), "Edit1");
        QCOMPARE(Field(*window_, 1)->selectedText(), "3");
    }

    void fieldsTakeAnyTextWholeWithoutInputMethod() {
        const QString longText(100000, QLatin1Char('7'));
        window_->SetFieldText(5, longText.toStdString());
        QCOMPARE(Field(*window_, 5)->text(), longText);
        QVERIFY(!Field(*window_, 5)->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(Field(*window_, 1)->accessibleName(), "5/31 20:30 フランス");
        QCOMPARE(Field(*window_, 2)->accessibleName(), "5/31 20:30 セネガル");
    }

    void aButtonChangesOnlyItsOwnGrid() {
        LoadRealScores();
        std::array<QStringList, kGroupCount> before;
        for (int g = 1; g <= kGroupCount; ++g)
            before[g - 1] = Snapshot(*Page(*window_, g)->Grid());
        Page(*window_, 3)->Button()->click();
        for (int g = 1; g <= kGroupCount; ++g)
            QCOMPARE(Snapshot(*Page(*window_, g)->Grid()) == before[g - 1], g != 3);
        QCOMPARE(Cell(*Page(*window_, 3)->Grid(), 4, 1), "9");  // Brazil won all three
    }

    void aBadScoreIsShownAndTheWindowGoesOn() {
        Field(*window_, 1)->setText("2a");
        Field(*window_, 2)->setText("1");
        Page(*window_, 1)->Button()->click();
        QCOMPARE(errors_, QStringList{"'2a' は整数ではありません"});
        Field(*window_, 1)->setText("2");
        Page(*window_, 1)->Button()->click();
        QCOMPARE(errors_.size(), 1);
        QCOMPARE(Cell(*Page(*window_, 1)->Grid(), 4, 1), "3");
    }

    void settingsAreLoadedAtCreateAndSavedAtDestroy() {
        const std::string path = dir_->filePath(QStringLiteral("palvoren.ini")).toStdString();
        test::WriteFile(path, "[Form]\nTop=40\nLeft=30\n[Value]\nedit7=4\nedit96=x y\n");
        window_ = std::make_unique<TVarnek>(Options(path));
        QCOMPARE(window_->pos(), QPoint(30, 40));
        QCOMPARE(Field(*window_, 7)->text(), "4");
        // Page D is built only once the event loop runs; its texts are kept until then and saved as
        // loaded.
        QCOMPARE(window_->FieldText(96), "x y");
        QCOMPARE(window_->FieldText(95), "");
        QCOMPARE(Cell(*Page(*window_, 1)->Grid(), 0, 1), "フランス");
        QCOMPARE(Cell(*Page(*window_, 1)->Grid(), 1, 1), "");  // standings are never stored
        Field(*window_, 8)->setText("0");
        window_->move(70, 60);
        window_.reset();
        const std::string saved = test::ReadFile(path);
        QVERIFY(saved.find("edit95=\n") != std::string::npos);
        for (const char* line :
             {"Top=60\n", "Left=70\n", "edit7=4\n", "edit8=0\n", "edit96=x y\n", "edit1=\n"})
            QVERIFY2(saved.find(line) != std::string::npos, line);

        // A position off every screen opens on the primary one, and the next save keeps that.
        test::WriteFile(path, "[Form]\nTop=2147483647\nLeft=-2147483648\n");
        window_ = std::make_unique<TVarnek>(Options(path));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(window_->pos()));
        window_.reset();
        QVERIFY(test::ReadFile(path).find("Top=2147483647") == std::string::npos);
    }

    // The window has no maximise button: a maximised state it was not started in is undone.
    void maximisedLaterGoesBackToNormal() {
        window_->show();
        window_->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(!window_->isMaximized());
    }

    // Showing a text can change it (bytes that are no UTF-8 become U+FFFD); a field nobody edited
    // must still reach the file as it was read, on a page built at once and on one built late.
    void unchangedFieldsAreSavedByteForByte_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("typed");  // null: not edited
        QTest::addColumn<QByteArray>("saved");
        const QByteArray cut = QByteArray(2046, 'a') + "\xE6\x97\xA5";  // 日 across the limit
        for (int field : {1, 96}) {
            const QByteArray page = field == 1 ? "front page" : "late page";
            QTest::newRow(page + ", Latin-1 byte")
                << field << QByteArray("caf\xE9") << QString() << QByteArray("caf\xE9");
            QTest::newRow(page + ", Shift-JIS")
                << field << QByteArray("\x82\x52") << QString() << QByteArray("\x82\x52");
            QTest::newRow(page + ", value longer than the read limit stays whole")
                << field << cut << QString() << cut;
            QTest::newRow(page + ", lone CR")
                << field << QByteArray("1\r2") << QString() << QByteArray("1\r2");
            QTest::newRow(page + ", edited field is saved from its text")
                << field << QByteArray("caf\xE9") << QStringLiteral("café")
                << QByteArray("caf\xC3\xA9");
        }
    }
    void unchangedFieldsAreSavedByteForByte() {
        QFETCH(int, field);
        QFETCH(QByteArray, stored);
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        const std::string path = dir_->filePath(QStringLiteral("palvoren.ini")).toStdString();
        const std::string key = "edit" + std::to_string(field) + "=";
        test::WriteFile(path, "[Value]\n" + key + stored.toStdString() + "\n");
        window_ = std::make_unique<TVarnek>(Options(path));
        if (!typed.isNull())
            window_->SetFieldText(field, typed.toStdString());
        window_.reset();
        const std::string file = test::ReadFile(path);
        const std::size_t at = file.find("\n" + key);
        QVERIFY(at != std::string::npos);
        const std::size_t start = at + 1 + key.size();
        QCOMPARE(QByteArray::fromStdString(file.substr(start, file.find('\n', start) - start)),
                 saved);
    }

    void aPageBuiltLateShowsItsLoadedTexts() {
        const std::string path = dir_->filePath(QStringLiteral("palvoren.ini")).toStdString();
        test::WriteFile(path, "[Value]\nedit27=5\n");
        window_ = std::make_unique<TVarnek>(Options(path));
        ShowActive();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(FocusName(), "Edit27");
        QCOMPARE(Field(*window_, 27)->selectedText(), "5");
        QVERIFY(Field(*window_, 27)->isVisible());
        QCOMPARE(Cell(*Page(*window_, 8)->Grid(), 0, 1), "日本");
    }

    void screenshotOfGroupAWithRealScores() {
        LoadRealScores();
        ShowActive();
        Page(*window_, 1)->Button()->click();
        QCOMPARE(Cell(*Page(*window_, 1)->Grid(), 8, 4), "1");  // Denmark won the group
        QDir().mkpath(PALVOREN_ARTIFACTS);
        QVERIFY(window_->grab().save(PALVOREN_ARTIFACTS "/group-a.png"));
    }

private:
    // Errors are recorded rather than shown, so a test can read them.
    TVarnekOptions Options(const std::string& settingsPath) {
        return {[this](const std::exception& error) { errors_ << QString::fromUtf8(error.what()); },
                settingsPath};
    }
    void ShowActive() {
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    // The real 2002 scores, through the window's own settings load.
    void LoadRealScores() {
        const std::string path = dir_->filePath(QStringLiteral("palvoren.ini")).toStdString();
        test::WriteFile(path, test::DataFile("wc2002.ini"));
        window_ = std::make_unique<TVarnek>(Options(path));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TVarnek> window_;
    QStringList errors_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
