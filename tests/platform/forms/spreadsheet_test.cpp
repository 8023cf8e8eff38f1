// The spreadsheet control (sparse cells, the current cell, entries typed
// into it) and the grid's sideways scrolling and column resizing by the
// user.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"

using namespace forms;

namespace {

using Cells = std::map<std::pair<std::int32_t, std::int32_t>, std::string>;

int errorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const rt::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// A sheet and a button that is both the default and the cancel button; the
// sheet's events are recorded.
class SheetDialog : public Form {
public:
    SheetDialog() : Form("frmSheet") {
        for (auto [event, name] : {std::pair{Event::SelectionChange, "move "}, {Event::StartEdit, "edit "}})
            on("SprInput", event, [this, name = std::string(name)] {
                events.push_back(name + std::to_string(sheet->ActiveRow()) + "," + std::to_string(sheet->ActiveColumn()));
            });
        on("cmdClose", Event::Click, [this] { ++closes; });
    }
    ControlRef sheet{this, "SprInput"};
    ControlRef cmdClose{this, "cmdClose"};
    std::vector<std::string> events;
    int closes = 0;

protected:
    void design() override {
        add(Kind::Spreadsheet, "SprInput").Move(120, 120, 5000, 3000);
        Control& button = add(Kind::CommandButton, "cmdClose");
        button.Default(true), button.Cancel(true);
    }
};

}  // namespace

TEST(Spreadsheet, CellsAreSparseAndBoundedAndClearsEmptyThem) {
    SheetDialog dlg;
    Control& s = dlg.sheet.get();
    std::mt19937 random(19);
    Cells expected;
    for (int step = 0; step < 3000; ++step) {
        std::int32_t row = std::uniform_int_distribution<std::int32_t>(1, kSheetRows)(random);
        std::int32_t col = std::uniform_int_distribution<std::int32_t>(1, kSheetColumns)(random);
        if (step % 3 == 0 && !expected.empty()) {  // revisit a cell already written
            auto it = expected.begin();
            std::advance(it, std::uniform_int_distribution<std::size_t>(0, expected.size() - 1)(random));
            std::tie(row, col) = it->first;
        }
        int action = std::uniform_int_distribution<int>(0, 9)(random);
        if (action < 6) {
            std::string text = action == 0 ? std::string() : "v" + std::to_string(step);
            s.CellText(row, col, text);
            text.empty() ? void(expected.erase({row, col})) : void(expected[{row, col}] = text);
        } else if (action < 9) {
            s.Select(row, col);
            s.ClearActiveCell();
            expected.erase({row, col});
        } else if (step % 500 == 9) {
            s.Clear();
            expected.clear();
        }
        auto it = expected.find({row, col});
        ASSERT_EQ(s.CellText(row, col), it == expected.end() ? std::string() : it->second);
    }
    EXPECT_EQ(s.SheetCells(), expected) << "only cells with text are kept";

    for (auto [row, col] : std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {kSheetRows + 1, 1}, {1, kSheetColumns + 1}}) {
        EXPECT_EQ(errorNumberOf([&] { (void)s.CellText(row, col); }), 381) << row << "," << col;
        EXPECT_EQ(errorNumberOf([&] { s.Select(row, col); }), 381) << row << "," << col;
    }
    EXPECT_EQ(errorNumberOf([&] { (void)s.Rows(); }), 438) << "a sheet is not a grid";
}

TEST(Spreadsheet, TypingMakesAnEntryThatEnterArrowsLeavingAndPastingCommitAndEscapeCancels) {
    SheetDialog dlg;
    dlg.Show();
    Control& s = dlg.sheet.get();
    ASSERT_TRUE(selectCell(s, 2, 3));
    EXPECT_TRUE(typeText(s, "1"));
    EXPECT_TRUE(typeText(s, "2"));
    EXPECT_TRUE(s.Editing() && s.EntryText() == "12");
    EXPECT_EQ(s.CellText(2, 3), "") << "nothing is written before Enter";
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"move 2,3", "edit 2,3"})) << "one StartEdit per entry";
    EXPECT_TRUE(pressKey(s, vbKeyReturn));
    EXPECT_TRUE(s.CellText(2, 3) == "12" && s.ActiveRow() == 3) << "Enter writes and moves down";

    typeText(s, "x\b9");
    EXPECT_EQ(s.EntryText(), "9");
    pressKey(s, vbKeyEscape);
    EXPECT_FALSE(s.Editing());
    typeText(s, "x");
    SendKeys("{ESC}", true);
    EXPECT_TRUE(!s.Editing() && s.CellText(3, 3).empty());
    EXPECT_EQ(dlg.closes, 0) << "Enter and Escape in the sheet press no default or cancel button";

    typeText(s, "7");
    pressKey(s, vbKeyRight);
    EXPECT_TRUE(s.CellText(3, 3) == "7" && s.ActiveColumn() == 4);
    typeText(s, "8");
    EXPECT_TRUE(focus(dlg.cmdClose.get()));
    EXPECT_EQ(s.CellText(3, 4), "8");

    pressKey(s, vbKeyHome, vbCtrlMask);
    pressKey(s, vbKeyUp);
    pressKey(s, vbKeyLeft);
    EXPECT_TRUE(s.ActiveRow() == 1 && s.ActiveColumn() == 1) << "Ctrl+Home, and the sheet ends at (1, 1)";

    // Ctrl+V: lines fill rows and tabs cells from the current cell, within the sheet.
    s.Clear();
    s.CellText(2, 3, "old");
    clipboard().setText("a\tb\r\n\tc\n");
    selectCell(s, 1, 2);
    typeText(s, "typed");
    pressKey(s, 'V', vbCtrlMask);
    EXPECT_EQ(s.SheetCells(), (Cells{{{1, 2}, "a"}, {{1, 3}, "b"}, {{2, 3}, "c"}}))
        << "the entry is written, then pasted over; an empty field clears its cell";

    s.Clear();
    clipboard().setText("x\ty\tz\n1\n2");
    s.Select(kSheetRows - 1, kSheetColumns - 1);
    pressKey(s, 'V', vbCtrlMask);
    EXPECT_EQ(s.SheetCells(), (Cells{{{kSheetRows - 1, kSheetColumns - 1}, "x"}, {{kSheetRows - 1, kSheetColumns}, "y"},
                                     {{kSheetRows, kSheetColumns - 1}, "1"}}))
        << "what would lie beyond the sheet is dropped";
    dlg.Unload();
}

TEST(GridByTheUser, ScrollingSidewaysAndWideningColumnsReachTheModel) {
    int scrolls = 0;
    Form dlg("frmGrid", [](Form& f) {
        Control& g = f.addControl(Kind::Grid, "GrdInput");
        g.Move(120, 120, 3000, 2000), g.Rows(5), g.Cols(8);
    });
    dlg.on("GrdInput", Event::Scroll, [&] { ++scrolls; });
    Control& g = dlg.control("GrdInput");
    dlg.Show();
    g.Row(1), g.Col(4);
    const std::int32_t before = g.CellLeft();
    EXPECT_TRUE(scrollGridColumns(g, 3));
    EXPECT_TRUE(g.LeftCol() == 3 && scrolls == 1);
    EXPECT_EQ(g.CellLeft(), before - 2 * (g.ColWidth(1) + kGridLineWidth)) << "the cell moves left with the scroll";

    for (auto [allow, width, resized] : {std::tuple{0, 2000, false}, {1, 2000, true}, {2, 900, false}}) {
        g.AllowUserResizing(allow);  // 0 none, 1 columns, 2 rows only
        EXPECT_EQ(resizeGridColumn(g, 2, width), resized) << allow;
        EXPECT_EQ(g.ColWidth(2), resized || allow == 2 ? 2000 : kGridDefaultColWidth) << allow;
    }
    dlg.Unload();
}
