#include <gtest/gtest.h>

#include <QString>
#include <utility>
#include <vector>

#include "files/save_grid_to_file.h"
#include "lists/grid.h"
#include "support/fake_table.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/common/grid_table_model.h"

namespace calvex {
namespace {

std::vector<std::string> rowCells(const Grid& grid, int row) {
    std::vector<std::string> cells;
    for (int col = 0; col < grid.cols(); ++col)
        cells.push_back(grid.cell(row, col));
    return cells;
}

TEST(GridTest, AddItemSplitsTheTextAtEachTabFromColumnZero) {
    struct Case {
        const char* text;
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        {"1\t14:05:32\t23.4\tC", {"1", "14:05:32", "23.4", "C"}},
        {"1\t14:05:32", {"1", "14:05:32", "", ""}},                  // fewer fields: empty cells
        {"1\t14:05:32\t23.4\tC\t", {"1", "14:05:32", "23.4", "C"}},  // trailing TAB of a list file
        {"1\t2\t3\t4\t5\t6", {"1", "2", "3", "4"}},  // fields beyond the columns are not cells
        {"", {"", "", "", ""}},
        {"\t\t\t", {"", "", "", ""}},
        {"1,5\t23,4", {"1,5", "23,4", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Grid grid(4, 1);
        grid.addItem(c.text);
        EXPECT_EQ(grid.rows(), 2);
        EXPECT_EQ(rowCells(grid, 1), c.cells);
        EXPECT_EQ(grid.cell(1, 4), "");  // outside the grid
        EXPECT_EQ(grid.cell(2, 0), "");
        EXPECT_EQ(grid.cell(-1, 0), "");
    }
}

TEST(GridTest, RowsAddedUntoldReachTheViewInOneBlockWhenTold) {
    Grid grid(4, 1);
    GridTableModel model(grid);
    std::vector<std::pair<int, int>> inserted;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) { inserted.emplace_back(first, last); });
    grid.addItem("1\t14:05:32\t23.4\tC");
    for (int i = 2; i <= 5; ++i)
        grid.addItemUntold(std::to_string(i) + "\t14:05:34\t23.5\tC");
    EXPECT_EQ(grid.rows(), 6);
    EXPECT_EQ(model.rowCount(), 1);
    grid.tellAppended();
    grid.tellAppended();  // nothing new: nothing told
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 0}, {1, 4}}));
    EXPECT_EQ(model.index(4, 0).data().toString(), "5");
    // Cut back while rows wait untold: the view starts afresh and hears of no old rows.
    grid.addItemUntold("6\t14:05:36\t23.6\tC");
    grid.setRows(3);
    grid.tellAppended();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(inserted.size(), 2u);
}

TEST(GridTest, AHeaderOnlyGridHasOneRowAndNoDataRows) {
    Grid grid(6, 1);
    grid.setCell(0, 0, "No.s");
    int dataRows = 0;
    for (int row = 1; row < grid.rows(); ++row)
        ++dataRows;
    EXPECT_EQ(grid.rows(), 1);
    EXPECT_EQ(dataRows, 0);

    for (int i = 0; i < 5; ++i)
        grid.addItem("x");
    grid.setRows(1);
    EXPECT_EQ(grid.rows(), 1);
    EXPECT_EQ(grid.cell(0, 0), "No.s");
    grid.setRows(0);  // the header row always stays
    EXPECT_EQ(grid.rows(), 1);
}

TEST(GridTest, SetCellPadsMissingFieldsAndKeepsTabsOutOfCells) {
    Grid grid(4, 1);
    grid.addItem("1");
    grid.setCell(1, 3, "C");
    EXPECT_EQ(grid.rowText(1), "1\t\t\tC");
    grid.setCell(1, 1, "14:05:32");
    EXPECT_EQ(grid.rowText(1), "1\t14:05:32\t\tC");
    grid.setCell(1, 2, "a\tb");
    EXPECT_EQ(rowCells(grid, 1), (std::vector<std::string>{"1", "14:05:32", "a b", "C"}));
    grid.setCell(1, 4, "outside");
    grid.setCell(5, 0, "outside");
    EXPECT_EQ(grid.rowText(1), "1\t14:05:32\ta b\tC");
}

TEST(GridTest, TheCurrentCellAndTheTopRowStayInsideTheGrid) {
    Grid grid(4, 1);
    for (int i = 1; i <= 20; ++i)
        grid.addItem(std::to_string(i));
    struct Case {
        int row, col, topRow;
        int expectRow, expectCol, expectTopRow;
    };
    const Case cases[] = {{5, 2, 3, 5, 2, 3}, {-1, -1, 0, 0, 0, 1}, {99, 9, 99, 20, 3, 20}};
    for (const Case& c : cases) {
        grid.setRow(c.row);
        grid.setCol(c.col);
        grid.setTopRow(c.topRow);
        EXPECT_EQ(grid.row(), c.expectRow);
        EXPECT_EQ(grid.col(), c.expectCol);
        EXPECT_EQ(grid.topRow(), c.expectTopRow);
    }
    grid.setText("x");
    EXPECT_EQ(grid.cell(20, 3), "x");
    EXPECT_EQ(grid.text(), "x");
    grid.setRows(3);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_LE(grid.topRow(), 2);
}

// A cell of megabytes would take the view seconds to lay out on every repaint: the view shows its
// beginning, while the grid, and Save, keep the whole text.
TEST(GridTest, ALongCellIsShownCutShortButKeptAndSavedWhole) {
    const int shown = GridTableModel::kMaxShownCharacters;
    const QString ellipsis(QChar(0x2026));
    const std::string accented = "\xC3\xA9";  // one character, two bytes
    std::string accents;
    for (int i = 0; i < shown; ++i)
        accents += accented;
    struct Case {
        const char* name;
        std::string cell;
        QString display;
    };
    const std::vector<Case> cases = {
        {"short", "23.4", "23.4"},
        {"exactly the most shown", std::string(shown, 'x'), QString(shown, 'x')},
        {"one more", std::string(shown + 1, 'x'), QString(shown - 1, 'x') + ellipsis},
        {"a line of megabytes", std::string(5'000'000, 'y'), QString(shown - 1, 'y') + ellipsis},
        // Not cut between the two bytes of a character.
        {"two-byte characters", accents,
         QString::fromUtf8(accents.substr(0, 2 * (shown / 2 - 1))) + ellipsis},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestSession t;
        test::FakeTable table(4, false, "File List");
        const std::string row = "1\t" + c.cell + "\t23.4\tC";
        table.grid().addItem(row);
        GridTableModel model(table.grid());

        EXPECT_EQ(model.data(model.index(0, 1)).toString(), c.display);
        EXPECT_EQ(model.data(model.index(0, 1), Qt::AccessibleTextRole).toString(), c.display);
        EXPECT_EQ(model.data(model.index(0, 2)).toString(), "23.4");
        EXPECT_EQ(table.grid().cell(1, 1), c.cell);

        test::TempFolder folder;
        t.session.DataFileName = folder.file("saved.txt");
        t.session.FileChosen = true;
        ASSERT_TRUE(SaveGridToFile(t.session, table));
        EXPECT_EQ(test::TempFolder::read(t.session.DataFileName), row + "\t\r\n");
    }
}

}  // namespace
}  // namespace calvex
