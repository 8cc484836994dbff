#include "temp_dir.h"
#include "views/data_list_view.h"
#include "views/list_compare.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace qa::views;

namespace {

// A list with the given headings, 100 pixels each, every column toggle-sortable by `type`.
std::unique_ptr<DataListView> MakeList(std::vector<QString> headings, int type = SortInteger) {
    auto list = std::make_unique<DataListView>();
    list->SetControlId(1001);
    for (std::size_t c = 0; c < headings.size(); ++c) {
        list->InsertColumn(static_cast<int>(c), headings[c], Qt::AlignCenter, 100);
        list->SetColumnSort(static_cast<int>(c), SortToggle, type);
    }
    return list;
}

std::unique_ptr<DataListView> SixColumns() {
    auto list = MakeList({"No.", "Date", "Time", "Result", "eAG", "Patient ID"});
    list->SetColumnHideable(0, false);
    return list;
}

std::vector<std::string> Column(const DataListView& list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.RowCount(); ++row) {
        texts.push_back(list.CellTextUtf8(row, column));
    }
    return texts;
}

void SetColumnTexts(DataListView& list, std::vector<std::string> texts) {
    std::vector<std::vector<std::string>> rows;
    for (auto& text : texts) {
        rows.push_back({text});
    }
    list.SetRows(std::move(rows));
}

using Texts = std::vector<std::string>;

} // namespace

TEST(ListCompare, EachTypeOrdersAsItsRuleSays) {
    // Leading integers: 10 after 9; text: 10 before 9; number-aware: 10 after 9 unless the
    // text is more than its number.
    EXPECT_GT(CompareCells("10", "9", SortInteger), 0);
    EXPECT_EQ(CompareCells("12 mg/dL", "12", SortInteger), 0);
    EXPECT_LT(CompareCells("10", "9", SortText), 0);
    EXPECT_GT(CompareCells("10", "9", SortNumberText), 0);
    EXPECT_LT(CompareCells("10a", "9", SortNumberText), 0);
    EXPECT_LT(CompareCells("0", "9", SortNumberText), 0) << "zero falls back to text";
    EXPECT_GT(CompareCells("10", "9", SortNumberNoCase), 0);
    EXPECT_GT(CompareCells("b", "A", SortNumberNoCase), 0);
    // Reals: a difference below one is equal.
    EXPECT_EQ(CompareCells("1.2", "1.9", SortReal), 0);
    EXPECT_LT(CompareCells("1.2", "2.3", SortReal), 0);
    EXPECT_GT(CompareCells("6.5 %", "-1", SortReal), 0);
    // Case.
    EXPECT_GT(CompareCells("abc", "ABD", SortText), 0);
    EXPECT_LT(CompareCells("abc", "ABD", SortTextNoCase), 0);
    EXPECT_EQ(CompareCells("Kim", "kIM", SortTextNoCase), 0);
    EXPECT_LT(CompareCells("가", "나", SortText), 0);
    // Dates: readable ones by time, unreadable ones first and equal among themselves.
    EXPECT_LT(CompareCells("2016-06-20", "2016-06-21", SortDateTime), 0);
    EXPECT_GT(CompareCells("2016-06-20T10:00", "2016-06-20T09:59", SortDateTime), 0);
    EXPECT_EQ(CompareCells("x", "", SortDateTime), 0);
    EXPECT_LT(CompareCells("x", "2016-06-20", SortDateTime), 0);
    // None, and unknown types as text.
    EXPECT_EQ(CompareCells("1", "2", SortNone), 0);
    EXPECT_LT(CompareCells("10", "9", 99), 0);
}

TEST(ListSort, ToggleStartsAscendingAndAlternates) {
    auto list = MakeList({"No."});
    SetColumnTexts(*list, {"9", "10", "2", "100"});
    list->SortByColumn(0, true);
    EXPECT_EQ(Column(*list, 0), (Texts{"2", "9", "10", "100"}));
    EXPECT_TRUE(list->IsSortAscending());
    EXPECT_EQ(list->SortColumn(), 0);
    list->SortByColumn(0, true);
    EXPECT_EQ(Column(*list, 0), (Texts{"100", "10", "9", "2"}));
    EXPECT_FALSE(list->IsSortAscending());
    list->SortByColumn(0, false);
    EXPECT_EQ(Column(*list, 0), (Texts{"100", "10", "9", "2"})) << "no toggle keeps direction";

    auto text = MakeList({"No."}, SortText);
    SetColumnTexts(*text, {"9", "10", "2"});
    text->SortByColumn(0, true);
    EXPECT_EQ(Column(*text, 0), (Texts{"10", "2", "9"}));
}

TEST(ListSort, FixedDirectionsUnsortableColumnsAndStrayColumns) {
    auto list = MakeList({"A", "B"});
    list->SetColumnSort(1, SortDescending, SortInteger);
    EXPECT_FALSE(list->SetColumnSort(0, 8, SortInteger)) << "no direction bit: refused";
    EXPECT_FALSE(list->SetColumnSort(5, SortToggle, SortInteger));
    list->SetRows({{"a", "1"}, {"b", "3"}, {"c", "2"}});
    list->SortByColumn(1, true);
    list->SortByColumn(1, true);
    EXPECT_EQ(Column(*list, 1), (Texts{"3", "2", "1"})) << "a fixed direction never toggles";

    auto plain = std::make_unique<DataListView>();
    plain->InsertColumn(0, "A", Qt::AlignLeft, 50);
    SetColumnTexts(*plain, {"2", "1"});
    plain->SortByColumn(0, true);
    plain->SortByColumn(-1, true);
    plain->SortByColumn(3, true);
    EXPECT_EQ(Column(*plain, 0), (Texts{"2", "1"}));
    EXPECT_EQ(plain->SortColumn(), -1);
}

TEST(ListSort, SelectionRowDataAndColoursMoveWithTheirRows) {
    auto list = MakeList({"No.", "Name"});
    list->SetRows({{"3", "c"}, {"1", "a"}, {"2", "b"}});
    list->SetRowData(0, QStringLiteral("third"));
    list->SetCellColors(0, 1, Qt::red, QColor());
    list->SelectRow(0);
    list->SortByColumn(0, true);
    EXPECT_EQ(list->CellTextUtf8(2, 1), "c");
    EXPECT_EQ(list->GetRowData(2).toString(), QStringLiteral("third"));
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(list->FocusedRow(), 2);
    EXPECT_EQ(list->Model()->index(2, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
}

TEST(ListSort, CompareFunctionsSortByRowData) {
    auto list = MakeList({"Name", "Other"});
    list->SetRows({{"x"}, {"y"}, {"z"}});
    list->SetRowData(0, 30);
    list->SetRowData(1, 10);
    list->SetRowData(2, 20);
    int seenParam = -1;
    list->SetUserCompare(
        [&](const QVariant& a, const QVariant& b, int param) {
            seenParam = param;
            return a.toInt() - b.toInt();
        },
        0);
    list->SortByColumn(1, true);
    EXPECT_EQ(Column(*list, 0), (Texts{"y", "z", "x"}));
    EXPECT_EQ(seenParam, 1) << "parameter 0 passes the sort column";
    // A column's own function serves only that column.
    list->SetColumnCompare(
        0, [](const QVariant& a, const QVariant& b, int) { return b.toInt() - a.toInt(); });
    list->SortByColumn(0, true);
    EXPECT_EQ(Column(*list, 0), (Texts{"x", "z", "y"}));
    list->SortByColumn(1, true);
    EXPECT_EQ(Column(*list, 0), (Texts{"x", "z", "y"})) << "second toggle of column 1: descending";
}

TEST(ListSort, NonTransitiveRealsSortManyRowsSafely) {
    // Values closer than one compare equal, so equality is not transitive; the sort must
    // still finish inside its range and keep every row.
    auto list = MakeList({"Value"}, SortReal);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(0, 50);
    Texts texts;
    for (int i = 0; i < 20000; ++i) {
        texts.push_back(std::to_string(value(random)));
    }
    SetColumnTexts(*list, texts);
    list->SortByColumn(0, true);
    Texts sorted = Column(*list, 0);
    std::sort(sorted.begin(), sorted.end());
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(sorted, texts);
}

TEST(ListColumns, HiddenColumnsStayBehindAndReturnNoFurtherThanAllowed) {
    auto list = SixColumns();
    EXPECT_TRUE(list->SetColumnVisible(4, false));
    EXPECT_EQ(list->ColumnOrder(), (std::vector<int>{0, 1, 2, 3, 5, 4}));
    EXPECT_EQ(list->ColumnWidth(4), 0);
    list->SetColumnVisible(5, false);
    EXPECT_EQ(list->ColumnOrder().back() == 4 || list->ColumnOrder().back() == 5, true);
    EXPECT_FALSE(list->IsColumnVisible(5));

    list->SetColumnWidth(1, 170);
    list->SetColumnVisible(1, false);
    list->SetColumnVisible(5, true);
    // Visible now: 0, 2, 3, 5 -> column 5 may stand at most at position 3.
    EXPECT_EQ(list->ColumnOrder()[3], 5);
    EXPECT_EQ(list->ColumnWidth(5), 100) << "shown again with its inserted width";
    list->SetColumnVisible(1, true);
    EXPECT_EQ(list->ColumnOrder()[1], 1);
    EXPECT_EQ(list->ColumnWidth(1), 100) << "the remembered width is the inserted one";
    for (int v = 0; v < 5; ++v) {
        EXPECT_TRUE(list->IsColumnVisible(list->ColumnOrder()[static_cast<std::size_t>(v)]));
    }
}

TEST(ListColumns, DraggingAColumnBehindHiddenOnesPutsItBackInFront) {
    auto list = SixColumns();
    list->resize(800, 300);
    list->SetColumnVisible(2, false);
    DataListHeader* header = list->Header();
    header->moveSection(header->visualIndex(3), 5); // dropped after the hidden column
    QApplication::processEvents();
    std::vector<int> order = list->ColumnOrder();
    EXPECT_EQ(order.back(), 2);
    EXPECT_EQ(order[4], 3);
}

TEST(ListColumns, HeaderMenuOnlyWithALockedColumn) {
    auto all = MakeList({"A", "B"});
    EXPECT_EQ(all->Header()->CreateColumnMenu(), nullptr) << "every column hideable: no menu";

    auto list = SixColumns();
    list->SetColumnVisible(3, false);
    std::unique_ptr<QMenu> menu = list->Header()->CreateColumnMenu();
    ASSERT_NE(menu, nullptr);
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("No."));
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[0]->isChecked());
    EXPECT_TRUE(actions[1]->isChecked());
    EXPECT_FALSE(actions[3]->isChecked());
    EXPECT_EQ(actions[3]->data().toInt(), 4);

    list->Header()->ApplyColumnMenuCommand(4);
    EXPECT_TRUE(list->IsColumnVisible(3));
    list->Header()->ApplyColumnMenuCommand(2);
    EXPECT_FALSE(list->IsColumnVisible(1));
    list->Header()->ApplyColumnMenuCommand(1);
    EXPECT_TRUE(list->IsColumnVisible(0)) << "a locked column cannot be hidden";
}

namespace {

void Drag(QWidget* target, QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, from, target->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QPoint middle = (from + to) / 2;
    for (QPoint p : {middle, to}) {
        QMouseEvent move(QEvent::MouseMove, p, target->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, to, target->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

} // namespace

TEST(ListColumns, DividerDragsNeverOpenAHiddenColumn) {
    auto list = SixColumns();
    list->resize(900, 300);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    DataListHeader* header = list->Header();
    list->SetColumnVisible(2, false);
    list->SetColumnVisible(5, false);
    const int y = header->height() / 2;

    // The divider between column 1 and the hidden column's place: column 1 grows.
    int edge = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    Drag(header->viewport(), {edge, y}, {edge + 40, y});
    EXPECT_EQ(list->ColumnWidth(1), 140);
    EXPECT_FALSE(list->IsColumnVisible(2));
    EXPECT_EQ(list->ColumnWidth(2), 0);

    // The last visible divider, under which both hidden columns lie.
    edge = header->sectionViewportPosition(4) + header->sectionSize(4) - 1;
    Drag(header->viewport(), {edge, y}, {edge + 25, y});
    EXPECT_EQ(list->ColumnWidth(4), 125);
    EXPECT_EQ(list->ColumnWidth(2), 0);
    EXPECT_EQ(list->ColumnWidth(5), 0);
    EXPECT_FALSE(list->IsColumnVisible(5));
    EXPECT_EQ(header->DividerAt(edge + 25), 4);
}

TEST(ListColumns, FitColumnMeasuresTheCellsOfTheNearestVisibleColumn) {
    auto list = SixColumns();
    list->SetRows({{"1", "short"}, {"2", "a much longer cell text"}});
    QFontMetrics metrics(list->font());
    list->FitColumn(1);
    EXPECT_EQ(list->ColumnWidth(1), metrics.horizontalAdvance("a much longer cell text") + 12);
    list->SetColumnWidth(1, 30);
    list->SetColumnVisible(5, false);
    list->FitColumn(5); // hidden, last in order: its divider stands for column 4
    EXPECT_EQ(list->ColumnWidth(5), 0);
    EXPECT_EQ(list->ColumnWidth(4), 12) << "column 4 has no texts";
    list->DeleteAllRows();
    list->FitColumn(1);
    EXPECT_EQ(list->ColumnWidth(1), 30) << "no rows: unchanged";
}

TEST(ListColumnState, SavedLayoutComesBack) {
    qa::test::TempDir dir;
    QSettings profile(QString::fromStdString(dir.File("profile.ini")), QSettings::IniFormat);
    {
        auto list = SixColumns();
        list->SetColumnWidth(3, 222);
        list->Header()->moveSection(list->Header()->visualIndex(5), 1);
        list->SetColumnVisible(2, false);
        list->SortByColumn(3, true); // ascending
        ASSERT_TRUE(list->SaveColumnState(profile));
    }
    auto list = SixColumns();
    list->SetRows({{"1", "", "", "9"}, {"2", "", "", "10"}, {"3", "", "", "8"}});
    ASSERT_TRUE(list->RestoreColumnState(profile));
    EXPECT_EQ(list->ColumnOrder(), (std::vector<int>{0, 5, 1, 3, 4, 2}));
    EXPECT_EQ(list->ColumnWidth(3), 222);
    EXPECT_FALSE(list->IsColumnVisible(2));
    EXPECT_EQ(list->ColumnWidth(2), 0);
    EXPECT_EQ(list->SortColumn(), 3);
    EXPECT_TRUE(list->IsSortAscending());
    EXPECT_EQ(Column(*list, 3), (Texts{"8", "9", "10"}));

    // Restoring twice does not flip the saved direction.
    ASSERT_TRUE(list->RestoreColumnState(profile));
    EXPECT_TRUE(list->IsSortAscending());
}

TEST(ListColumnState, WrongOrGarbledLayoutsAreIgnored) {
    qa::test::TempDir dir;
    QSettings profile(QString::fromStdString(dir.File("profile.ini")), QSettings::IniFormat);
    auto glucose = MakeList({"No.", "Date", "Time", "Result"});
    glucose->SetColumnWidth(1, 150);
    ASSERT_TRUE(glucose->SaveColumnState(profile));

    auto untouched = [](const DataListView& list) {
        EXPECT_EQ(list.ColumnOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(list.ColumnWidth(c), 100);
            EXPECT_TRUE(list.IsColumnVisible(c));
        }
    };
    auto hba1c = SixColumns();
    EXPECT_FALSE(hba1c->RestoreColumnState(profile)) << "four saved columns, six now";
    untouched(*hba1c);

    auto write = [&](const char* key, const QVariant& value) {
        profile.setValue(QStringLiteral("1001/") + QLatin1String(key), value);
    };
    auto ints = [](std::vector<qint32> values) {
        return QByteArray(reinterpret_cast<const char*>(values.data()),
                          static_cast<qsizetype>(values.size() * 4));
    };
    write("ColumnCount", 6);
    write("ColumnWidth", ints({50, 60, 70, 80, 90, 95}));
    write("ColumnVisible", ints({1, 1, 1, 1, 1, 1}));
    for (const QVariant& order : {QVariant(ints({0, 1, 2, 3, 4, 4})), // repeat
                                  QVariant(ints({0, 1, 2, 3, 4, 6})), // out of range
                                  QVariant(ints({0, 1, 2, 3, 4})),    // short
                                  QVariant(QStringLiteral("garbage")), QVariant()}) {
        write("ColumnOrder", order);
        auto list = SixColumns();
        EXPECT_FALSE(list->RestoreColumnState(profile)) << order.toString().toStdString();
        untouched(*list);
    }
    write("ColumnCount", QStringLiteral("six"));
    write("ColumnOrder", ints({5, 4, 3, 2, 1, 0}));
    EXPECT_FALSE(SixColumns()->RestoreColumnState(profile)) << "a count that is no number";
    write("ColumnCount", 6);

    // Widths that are missing or absurd stop the restore after the order.
    write("ColumnWidth", ints({50, 60, 70, 80, 90}));
    auto shortWidths = SixColumns();
    EXPECT_FALSE(shortWidths->RestoreColumnState(profile));
    EXPECT_EQ(shortWidths->ColumnOrder(), (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(shortWidths->ColumnWidth(0), 100);
    write("ColumnWidth", ints({50, -60, 70, 80, 90, 95}));
    EXPECT_FALSE(SixColumns()->RestoreColumnState(profile));

    // A locked column stored as hidden stays visible: the menu could never show it again.
    write("ColumnWidth", ints({50, 60, 70, 80, 90, 95}));
    write("ColumnVisible", ints({0, 1, 0, 1, 1, 1}));
    write("ColSortNum", -1);
    auto locked = SixColumns();
    EXPECT_TRUE(locked->RestoreColumnState(profile));
    EXPECT_TRUE(locked->IsColumnVisible(0));
    EXPECT_FALSE(locked->IsColumnVisible(2));
    EXPECT_EQ(locked->ColumnWidth(5), 95);
    EXPECT_EQ(locked->SortColumn(), -1);
}

TEST(ListColumnState, ApplicationProfileLivesUnderTheConfigFolder) {
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        GTEST_SKIP() << "runs only with a test config folder";
    }
    auto list = SixColumns();
    list->SetControlId(4242);
    list->SetColumnWidth(2, 133);
    ASSERT_TRUE(list->SaveColumnState());
    QSettings check(QString::fromUtf8(config) +
                        "/Local AppWizard-Generated Applications/QuorinA1cComm.ini",
                    QSettings::IniFormat);
    EXPECT_EQ(check.value("4242/ColumnCount").toInt(), 6);
    auto again = SixColumns();
    again->SetControlId(4242);
    EXPECT_TRUE(again->RestoreColumnState());
    EXPECT_EQ(again->ColumnWidth(2), 133);
}

class TypeAhead : public ::testing::Test {
protected:
    void SetUp() override {
        list = MakeList({"No.", "Name"});
        list->SetRows({{"1", "apple"}, {"2", "Avocado"}, {"3", "banana"}, {"4", "apricot"}});
        list->SetClock([this] { return now; });
        list->SetFocusColumn(1);
    }
    void Type(char c, std::int64_t at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        now = at;
        QTest::keyClick(list.get(), c, modifiers);
    }
    std::unique_ptr<DataListView> list;
    std::int64_t now = 1'000'000;
};

TEST_F(TypeAhead, RepeatingALetterStepsThroughItsRows) {
    Type('a', now);
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{0});
    Type('a', now + 100);
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{1}) << "case ignored";
    Type('a', now + 100);
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{3});
    Type('a', now + 100);
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{0}) << "wraps to the top";
    EXPECT_EQ(list->SearchText(), QStringLiteral("a"));
}

TEST_F(TypeAhead, TwoSecondsPauseStartsANewSearch) {
    Type('a', now);
    Type('p', now + 1999);
    EXPECT_EQ(list->SearchText(), QStringLiteral("ap"));
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{3}) << "after the focused row first";
    Type('b', now + 2000);
    EXPECT_EQ(list->SearchText(), QStringLiteral("b"));
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{2});
    Type('x', now + 100);
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{2}) << "no match: selection stays";
    Type('q', now + 100, Qt::ControlModifier);
    EXPECT_TRUE(list->SearchText().isEmpty());

    // Moving the focus elsewhere also starts afresh.
    Type('a', now + 5000);
    list->SelectRow(2);
    Type('v', now + 100);
    EXPECT_EQ(list->SearchText(), QStringLiteral("v"));
}

TEST(ListKeys, ArrowsMoveTheFocusCellOverVisibleColumnsOnly) {
    auto list = SixColumns();
    list->SetRows({{"1", "a", "b", "c", "d", "e"}});
    list->SelectRow(0);
    list->SetColumnVisible(2, false);
    QTest::keyClick(list.get(), Qt::Key_Left);
    EXPECT_EQ(list->FocusColumn(), -1);
    QTest::keyClick(list.get(), Qt::Key_Right);
    EXPECT_EQ(list->FocusColumn(), 0);
    QTest::keyClick(list.get(), Qt::Key_Right);
    QTest::keyClick(list.get(), Qt::Key_Right);
    EXPECT_EQ(list->FocusColumn(), 3) << "hidden column 2 is not in the visible order";
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(list.get(), Qt::Key_Right);
    }
    EXPECT_EQ(list->FocusColumn(), 5) << "the hidden column behind the last is not taken";
    EXPECT_EQ(list->currentIndex().column(), 5);
    list->DeleteAllRows();
    QTest::keyClick(list.get(), Qt::Key_Right);
    EXPECT_EQ(list->FocusColumn(), -1);
}

TEST(ListKeys, CtrlASelectsAllUnlessSingleSelection) {
    auto list = MakeList({"A"});
    SetColumnTexts(*list, {"1", "2", "3"});
    QTest::keyClick(list.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list->SelectedRows(), (std::vector<int>{0, 1, 2}));
    list->clearSelection();
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    QTest::keyClick(list.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(list->SelectedRows().empty());
}

TEST(ListEditing, F2EditsTheFocusCellThroughTheHooks) {
    auto list = MakeList({"No.", "Name"});
    list->SetRows({{"2", "b"}, {"1", "a"}});
    list->resize(400, 200);
    QLineEdit editor;
    EditorHooks hooks;
    hooks.editor = &editor;
    int result = 1;
    hooks.end = [&](int, int, QString& text) {
        text = text.toUpper();
        return result;
    };
    list->SetColumnEditor(1, hooks);
    list->SelectRow(0);
    list->SetFocusColumn(0);
    QTest::keyClick(list.get(), Qt::Key_F2);
    EXPECT_FALSE(list->IsEditing()) << "column 0 has no editor";

    list->SetFocusColumn(1);
    QTest::keyClick(list.get(), Qt::Key_F2);
    ASSERT_TRUE(list->IsEditing());
    EXPECT_EQ(editor.text(), QStringLiteral("b"));
    EXPECT_TRUE(list->visualRect(list->Model()->index(0, 1)).contains(editor.geometry().center()));
    editor.setText("zed");
    QTest::keyClick(&editor, Qt::Key_Return);
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(list->CellTextUtf8(0, 1), "ZED");

    result = 0;
    list->StartEdit(1, 1);
    editor.setText("dropped");
    list->EndEdit();
    EXPECT_EQ(list->CellTextUtf8(1, 1), "a");

    // -1 keeps the text and sorts by the edited column again.
    list->SetColumnSort(1, SortAscending, SortText);
    result = -1;
    list->StartEdit(1, 1);
    editor.setText("b");
    list->EndEdit();
    EXPECT_EQ(Column(*list, 1), (Texts{"B", "ZED"}));

    EditorHooks readOnly;
    readOnly.readOnly = true;
    list->SetRowEditor(0, readOnly);
    EXPECT_FALSE(list->StartEdit(0, 1));
}

TEST(ListColours, MostSpecificLevelWins) {
    auto list = MakeList({"A", "B"});
    list->SetRows({{"1", "x"}, {"2", "y"}});
    list->SetColumnColors(1, Qt::yellow, Qt::blue);
    list->SetRowColors(1, Qt::green, QColor());
    list->SetCellColors(1, 1, Qt::red, QColor());
    auto colour = [&](int row, int column, int role) {
        return list->Model()->index(row, column).data(role).value<QColor>();
    };
    EXPECT_EQ(colour(0, 1, Qt::BackgroundRole), QColor(Qt::yellow));
    EXPECT_EQ(colour(1, 0, Qt::BackgroundRole), QColor(Qt::green));
    EXPECT_EQ(colour(1, 1, Qt::BackgroundRole), QColor(Qt::red));
    EXPECT_EQ(colour(1, 1, Qt::ForegroundRole), QColor(Qt::blue)) << "text from the column";
    EXPECT_FALSE(list->Model()->index(0, 0).data(Qt::BackgroundRole).isValid());
}

TEST(ListLoad, HundredThousandRowsMakeNoItemPerRowOrCell) {
    auto list = SixColumns();
    list->resize(894, 467);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 100000; ++i) {
        rows.push_back({std::to_string(i + 1), "2016-06-20", "02:30 PM", "6.5 %", "140 mg/dL",
                        "P" + std::to_string(i)});
    }
    list->SetRows(std::move(rows));
    EXPECT_EQ(list->RowCount(), 100000);
    EXPECT_EQ(dynamic_cast<QStandardItemModel*>(list->model()), nullptr);
    EXPECT_EQ(list->Model()->RowRecordCount(), 0u);
    EXPECT_EQ(list->CellText(99999, 5), QStringLiteral("P99999"));
    EXPECT_EQ(list->CellText(99999, 9), QString()) << "a column the row does not have";
    list->AddRow(100000, "extra");
    EXPECT_EQ(list->Model()->RowRecordCount(), 1u) << "single rows carry their record";
    EXPECT_FALSE(list->grab().isNull());
    list->DeleteAllRows();
    EXPECT_EQ(list->RowCount(), 0);
}

// Rows produced on demand, counting what was asked for.
class CountingSource : public ListRowSource {
public:
    explicit CountingSource(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}
    std::vector<std::string> RowCells(int key) override {
        ++fetches;
        return rows_.at(static_cast<std::size_t>(key));
    }
    // Marks the first cell of every row whose key is in `marked`.
    QColor FirstCellBackground(int key) override {
        return marked.count(key) != 0 ? QColor(Qt::green) : QColor();
    }
    int fetches = 0;
    std::set<int> marked;

private:
    std::vector<std::vector<std::string>> rows_;
};

TEST(ListLoad, RowsFromASourceAreReadWhenShownAndSortLikeHeldRows) {
    std::vector<std::vector<std::string>> rows;
    std::mt19937 random(7);
    for (int i = 0; i < 5000; ++i) {
        rows.push_back({std::to_string(i + 1), std::to_string(random() % 300), "x",
                        std::to_string(random() % 40) + " %"});
    }
    auto held = MakeList({"No.", "A", "B", "C"});
    held->SetRows(std::vector<std::vector<std::string>>(rows));
    auto shown = MakeList({"No.", "A", "B", "C"});
    shown->resize(400, 300);
    auto source = std::make_shared<CountingSource>(rows);
    shown->SetRowSource(source, static_cast<int>(rows.size()));
    ASSERT_EQ(shown->RowCount(), 5000);
    EXPECT_FALSE(shown->grab().isNull());
    EXPECT_GT(source->fetches, 0);
    EXPECT_LT(source->fetches, 50) << "only the rows on screen";
    const int afterPaint = source->fetches;
    EXPECT_FALSE(shown->grab().isNull());
    EXPECT_EQ(source->fetches, afterPaint) << "shown rows are cached";
    EXPECT_EQ(shown->CellTextUtf8(4999, 3), rows[4999][3]);

    for (int column : {1, 3, 1}) {
        held->SortByColumn(column, true);
        shown->SortByColumn(column, true);
        ASSERT_EQ(Column(*shown, 0), Column(*held, 0)) << "column " << column;
    }
    shown->SelectRow(10);
    const std::string number = shown->CellTextUtf8(10, 0);
    ASSERT_TRUE(shown->SetItemText(10, 2, "edited"));
    EXPECT_EQ(shown->CellTextUtf8(10, 2), "edited");
    EXPECT_EQ(shown->CellTextUtf8(10, 0), number);
    EXPECT_EQ(Column(*shown, 0), Column(*held, 0)) << "an edit keeps every row in place";
    EXPECT_EQ(shown->SelectedRows(), std::vector<int>{10});

    shown->SetRowSource(source, 3);
    EXPECT_EQ(Column(*shown, 0), (Texts{"1", "2", "3"})) << "a new load starts in key order";

    // A colour the source derives from a row: read with it, read again on a refresh, and
    // kept by the cell when the rows are taken over from the source; a cell's own colour wins.
    auto background = [&](int row) {
        return shown->Model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
    };
    EXPECT_FALSE(background(1).isValid());
    source->marked = {1, 2};
    EXPECT_FALSE(background(1).isValid()) << "cached with the texts";
    shown->Model()->RefreshSourceRows();
    EXPECT_EQ(background(1), QColor(Qt::green));
    shown->SetCellColors(2, 0, Qt::red, QColor());
    EXPECT_EQ(background(2), QColor(Qt::red));
    ASSERT_TRUE(shown->SetItemText(0, 2, "held now"));
    EXPECT_FALSE(shown->Model()->HasRowSource());
    EXPECT_EQ(background(1), QColor(Qt::green));
    EXPECT_EQ(background(2), QColor(Qt::red));
    EXPECT_FALSE(background(0).isValid());
    shown->DeleteAllRows();
    EXPECT_EQ(shown->RowCount(), 0);
}

TEST(ListSignals, DoubleAndRightClicksReportTheirCell) {
    auto list = MakeList({"A", "B"});
    list->SetRows({{"1", "x"}, {"2", "y"}});
    list->resize(400, 300);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    std::vector<std::pair<int, int>> doubles, rights;
    QObject::connect(list.get(), &DataListView::rowDoubleClicked, [&](int r, int c) {
        doubles.push_back({r, c});
    });
    QObject::connect(list.get(), &DataListView::rowRightClicked, [&](int r, int c) {
        rights.push_back({r, c});
    });
    QPoint cell = list->visualRect(list->Model()->index(1, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, cell);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, 250));
    EXPECT_EQ(rights, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(doubles, (std::vector<std::pair<int, int>>{{1, 1}, {-1, -1}}));
    EXPECT_EQ(list->FocusColumn(), 1);
}
