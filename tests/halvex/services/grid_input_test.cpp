// The grid-input dialog, driven headless through ClsValmor: what comes back
// in the caller's arrays, the check on OK, the cell editor, the row
// operations, the layout and the spreadsheet view.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"

using forms::Control;
using forms::Form;

namespace {

rt::VArray array(rt::VarType type, const std::vector<rt::Variant>& values)
{
    rt::VArray a(type);
    a.redim(0, static_cast<std::int32_t>(values.size()) - 1);
    for (std::size_t i = 0; i < values.size(); ++i) a.at(static_cast<std::int32_t>(i)) = values[i];
    return a;
}

// Rows of texts as a (0..R, 0..C) Variant table, row and column 0 empty.
rt::VArray table(const std::vector<std::vector<std::string>>& rows)
{
    rt::VArray a;
    const auto R = static_cast<std::int32_t>(rows.size());
    a.redim(0, R, 0, R == 0 ? 0 : static_cast<std::int32_t>(rows[0].size()));
    for (std::int32_t r = 1; r <= R; ++r)
        for (std::size_t c = 0; c < rows[r - 1].size(); ++c) a.at(r, static_cast<std::int32_t>(c) + 1) = rows[r - 1][c];
    return a;
}

// The grid's data cells, row by row.
std::vector<std::vector<std::string>> cells(const Control& g)
{
    std::vector<std::vector<std::string>> out(g.Rows() - 1);
    for (std::int32_t r = 1; r < g.Rows(); ++r)
        for (std::int32_t c = 1; c < g.Cols(); ++c) out[r - 1].push_back(g.TextMatrix(r, c));
    return out;
}

Control& ctl(Form& f, const char* name) { return f.control(name); }

class GridInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        halvex::libraryState().DecimalSystem = halvex::SystemPoint;
        valmor.HeadGrid("Beams");
        valmor.NoColGrid(3);
        valmor.NoRowGrid(3);
    }

    // Shows the dialog with `driver` playing the user.
    bool run(const std::function<void(Form&)>& driver)
    {
        forms::ScopedModalDriver scoped(driver);
        return valmor.ShowGridInput(titles, values, types, maxima, minima);
    }

    // Name (unchecked), length in m (0..100), count (whole, 0..10).
    rt::VArray titles = array(rt::VarType::String, {"No.", "Name", "Length\nm", "Count"});
    rt::VArray values = table({{"  B1", "2.5", "1"}, {"B2", "", "2"}, {"B3", "4", "3"}});
    rt::VArray types = array(rt::VarType::Integer, {std::int16_t{0}, std::int16_t{halvex::InputString},
                                                    std::int16_t{halvex::InputSingle},
                                                    std::int16_t{halvex::InputInteger}});
    rt::VArray maxima = array(rt::VarType::Double, {0.0, 0.0, 100.0, 10.0});
    rt::VArray minima = array(rt::VarType::Double, {0.0, 0.0, 0.0, 0.0});
    const rt::VArray returned = table({{"B1", "2.5", "1"}, {"B2", "0", "2"}, {"B3", "4", "3"}});
    halvex::ClsValmor valmor;
};

}  // namespace

TEST_F(GridInputTest, OkReturnsTheTableAndCancelOrTheCloseBoxLeaveEveryArray)
{
    const rt::VArray titlesBefore = titles, valuesBefore = values, typesBefore = types;
    const rt::VArray maximaBefore = maxima, minimaBefore = minima;
    for (bool closeBox : {false, true}) {
        EXPECT_TRUE(run([&](Form& f) {
            EXPECT_FALSE(ctl(f, "CmdCancel").Cancel()) << "no cancel button before the first edit";
            forms::typeText(ctl(f, "GrdInput"), "9");
            closeBox ? forms::closeWindow(f) : forms::click(ctl(f, "CmdCancel"));
        }));
        EXPECT_TRUE(values == valuesBefore && titles == titlesBefore);
    }
    EXPECT_FALSE(valmor.chooseControl());
    EXPECT_FALSE(run([](Form& f) {
        Control& g = ctl(f, "GrdInput");  // short titles: every column but the row numbers' at the minimum
        EXPECT_TRUE(g.ColWidth(0) < 800 && g.ColWidth(1) == 800 && g.ColWidth(3) == 800);
        EXPECT_EQ(g.Width(), g.ColWidth(0) + 3 * 800 + 4 * forms::screen().TwipsPerPixelX() + 300);
        forms::click(ctl(f, "cmdOK"));
    }));
    EXPECT_EQ(values, returned) << "leading blanks go, an empty numeric cell comes back as 0";
    EXPECT_TRUE(titles == titlesBefore && types == typesBefore && maxima == maximaBefore && minima == minimaBefore);
    const halvex::LibraryState& state = halvex::libraryState();
    EXPECT_FALSE(state.GridInputTypes.isAllocated() || state.GridMaxInput.isAllocated() ||
                 state.GridMinInput.isAllocated() || state.GridValues.isAllocated());

    valmor.NoRowGrid(0);  // one empty row opens, Delete off; OK on it gives an empty table
    values = rt::VArray();
    EXPECT_FALSE(run([](Form& f) {
        EXPECT_TRUE(cells(ctl(f, "GrdInput")).size() == 1 && !ctl(f, "cmdDelete").Enabled());
        forms::click(ctl(f, "cmdOK"));
    }));
    rt::VArray empty;
    empty.redim(0, 0, 0, 3);
    EXPECT_TRUE(valmor.NoRowGrid() == 0 && values == empty);
}

TEST_F(GridInputTest, AValueOutOfRangeOpensItsCellUntilItIsMended)
{
    values.at(3, 2) = std::string("500");
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    EXPECT_FALSE(run([&](Form& f) {
        Control& g = ctl(f, "GrdInput");
        Control& editor = ctl(f, "txtInput");
        forms::typeText(g, "q");  // an edit dropped: Escape outside an editor would now cancel
        forms::pressKey(editor, forms::vbKeyEscape);
        forms::click(ctl(f, "cmdOK"));
        ASSERT_TRUE(f.loaded());
        ASSERT_EQ(script->boxes().size(), 1u);
        EXPECT_EQ(script->boxes()[0].title, "Length m") << "the title's line feed becomes a blank";
        EXPECT_TRUE(g.Row() == 3 && g.Col() == 2 && editor.Visible());
        EXPECT_EQ(editor.Text(), "500");
        EXPECT_EQ(editor.SelLength(), 3) << "the whole text selected";
        forms::editText(editor, "50");
        forms::pressKey(editor, forms::vbKeyEscape);
        EXPECT_TRUE(f.loaded()) << "Escape in an editor opened by the check keeps the dialog";
        EXPECT_EQ(g.TextMatrix(3, 2), "500");
        forms::doubleClick(g);
        forms::editText(editor, "4");
        forms::click(ctl(f, "cmdOK"));  // the value still in the editor is kept and checked
    }));
    EXPECT_EQ(values, returned);
    EXPECT_EQ(script->boxes().size(), 1u);
}

TEST_F(GridInputTest, TheEditorWritesOnEnterUpScrollAndLeavingAndDiscardsOnEscapeOnly)
{
    valmor.NoRowGrid(30);
    values.redim(0, 30, 0, 3);
    for (std::int32_t r = 1; r <= 30; ++r) values.at(r, 3) = std::to_string(r % 10);
    EXPECT_TRUE(run([](Form& f) {
        Control& g = ctl(f, "GrdInput");
        Control& editor = ctl(f, "txtInput");
        forms::selectCell(g, 3, 1);
        forms::typeText(g, "7");
        EXPECT_TRUE(editor.Visible() && editor.Text() == "7" && editor.SelStart() == 1);
        forms::typeText(editor, "x");
        forms::pressKey(editor, forms::vbKeyReturn);
        EXPECT_TRUE(!editor.Visible() && g.TextMatrix(3, 1) == "7x");
        forms::typeText(g, "\xEA\xB0\x80");  // U+AC00, a Hangul syllable
        EXPECT_EQ(editor.Text(), "\xEA\xB0\x80") << "a first character above U+7FFF stays";
        forms::pressKey(editor, forms::vbKeyEscape);
        forms::typeText(g, "\xF0\x9F\x98\x80");  // U+1F600, past 16 bits
        EXPECT_TRUE(editor.Text() == "\xF0\x9F\x98\x80" && editor.SelStart() == 1) << "a first character above U+FFFF stays";
        forms::pressKey(editor, forms::vbKeyEscape);

        forms::pressKey(g, forms::vbKeyBack);
        EXPECT_EQ(editor.Text(), "") << "Backspace opens an empty editor";
        forms::typeText(editor, "q");
        forms::pressKey(editor, forms::vbKeyEscape);
        EXPECT_EQ(g.TextMatrix(3, 1), "7x") << "Escape discards";
        EXPECT_TRUE(f.loaded()) << "and closes only the editor";

        forms::pressKey(g, forms::vbKeyReturn);  // Enter opens the cell's text
        forms::typeText(editor, "y");
        forms::pressKey(editor, forms::vbKeyUp);
        EXPECT_TRUE(g.TextMatrix(3, 1) == "7xy" && g.Row() == 2) << "Up writes, then moves up";

        forms::typeText(g, "s");
        forms::scrollGrid(g, 5);
        EXPECT_EQ(g.TextMatrix(2, 1), "s") << "a scroll writes";

        // In a right-to-left language with more than 13 rows the editor
        // stands right of its cell.
        halvex::libraryState().TextLib =
            std::make_unique<quillon::ClsLanguageText>(std::string(OH_PROGDIR) + "/language", "Arabic");
        forms::doubleClick(g);
        EXPECT_EQ(editor.Left(), g.Left() + g.CellLeft() + 240);
        halvex::libraryState().TextLib.reset();
        forms::pressKey(editor, forms::vbKeyEscape);
        forms::pressKey(g, forms::vbKeyEscape);  // now Escape presses Cancel
        EXPECT_FALSE(f.loaded());
    }));
}

TEST_F(GridInputTest, RowOperationsKeepTheRowsOfAReferenceTable)
{
    forms::ScopedMsgBox script;
    std::mt19937 random(112);
    run([&](Form& f) {
        Control& g = ctl(f, "GrdInput");
        Control& del = ctl(f, "cmdDelete");
        std::vector<std::vector<std::string>> expected = cells(g);
        for (int step = 0; step < 400; ++step) {
            const auto rows = static_cast<std::int32_t>(expected.size());
            const std::int32_t r = std::uniform_int_distribution<std::int32_t>(1, rows)(random);
            forms::selectCell(g, r, 2);
            int op = std::uniform_int_distribution<int>(0, 19)(random);
            if (op >= 14 && op < 19 && rows == 1) op = 0;  // Delete is off with one row
            if (op < 14) {  // Insert above the row, or Copy below it
                const int copy = op >= 7;
                forms::click(ctl(f, copy ? "cmdCopy" : "cmdInsert"));
                expected.insert(expected.begin() + (r - 1) + copy, copy ? expected[r - 1] : std::vector<std::string>(3));
                EXPECT_EQ(g.Row(), r + copy);
            } else if (op < 19) {
                const bool yes = op % 2 == 0;
                script->answer(yes ? forms::vbYes : forms::vbNo);
                forms::click(del);
                ASSERT_FALSE(script->boxes().empty());
                EXPECT_EQ(script->boxes().back().style, 292);
                EXPECT_EQ(script->boxes().back().prompt,
                          halvex::textLib().GetText(rt::Variant(140149), {"|1", std::to_string(r)}));
                if (yes) expected.erase(expected.begin() + (r - 1));
                EXPECT_EQ(g.Row(), yes ? std::max(r - 1, 1) : r);
            } else {
                forms::click(ctl(f, "cmdNeu"));
                expected.assign(1, std::vector<std::string>(3));
            }
            // Give the rows distinct texts so that moves show.
            g.TextMatrix(g.Row(), 1, "s" + std::to_string(step));
            expected[g.Row() - 1][0] = "s" + std::to_string(step);

            ASSERT_EQ(cells(g), expected) << "step " << step;
            ASSERT_TRUE(g.Col() == 1 && f.ActiveControl() == &g && del.Enabled() == (g.Rows() > 2));
            for (std::int32_t i = 1; i < g.Rows(); ++i) ASSERT_EQ(g.TextMatrix(i, 0), std::to_string(i));
        }
        forms::closeWindow(f);
    });
}

// Lets the test act while a copy between the views lets events run.
struct MeddlingDisplay : forms::HeadlessDisplay {
    std::function<void()> onEvents;
    void doEvents() override { if (onEvents) onEvents(); }
};

TEST_F(GridInputTest, TheSpreadsheetViewCopiesBothWaysWithoutLosingRowsOrLettingTheUserIn)
{
    auto display = std::make_shared<MeddlingDisplay>();
    auto previous = forms::setDisplay(display);
    int tries = 0, refused = 0;
    EXPECT_FALSE(run([&](Form& f) {
        Control& g = ctl(f, "GrdInput");
        Control& sheet = ctl(f, "SprInput");
        const auto switchView = [&] {  // the user clicks, closes and presses OK while the copy runs
            display->onEvents = [&] {
                ++tries;
                if (!forms::click(ctl(f, "CmdExcel")) && !forms::closeWindow(f) && !forms::click(ctl(f, "cmdOK")))
                    ++refused;
            };
            forms::click(ctl(f, "CmdExcel"));
            display->onEvents = nullptr;
        };
        switchView();
        EXPECT_TRUE(!g.Visible() && f.ActiveControl() == &sheet && f.Enabled());
        EXPECT_EQ(sheet.CellText(3, 1), "B3");
        EXPECT_FALSE(forms::click(ctl(f, "cmdInsert"))) << "no row operations on the hidden grid";
        // Data below two empty cells of column 1 comes back.
        forms::selectCell(sheet, 6, 1);
        forms::typeText(sheet, "B6");
        forms::pressKey(sheet, forms::vbKeyReturn);
        forms::selectCell(sheet, 3, 1);
        forms::pressKey(sheet, forms::vbKeyDelete);
        forms::selectCell(sheet, 8, 2);
        forms::typeText(sheet, "C8");
        forms::selectCell(sheet, 2, 4);  // right of the last data column
        forms::typeText(sheet, "junk");
        EXPECT_TRUE(!sheet.Editing() && sheet.CellText(2, 4).empty());
        switchView();
        EXPECT_TRUE(g.Visible() && f.Enabled());
        EXPECT_EQ(cells(g), (std::vector<std::vector<std::string>>{{"B1", "2.5", "1"}, {"B2", "", "2"},
                                                                   {"", "4", "3"}, {"", "", ""}, {"", "", ""},
                                                                   {"B6", "", ""}, {"", "", ""}, {"", "C8", ""}}));
        EXPECT_TRUE(ctl(f, "cmdDelete").Enabled() && ctl(f, "cmdInsert").Enabled());

        // A second visit shows the grid alone, nothing of the first.
        forms::click(ctl(f, "cmdNeu"));
        forms::typeText(g, "N");
        switchView();
        EXPECT_EQ(sheet.SheetCells().size(), 1u);
        forms::selectCell(sheet, 2, 3);
        forms::typeText(sheet, "5");
        forms::click(ctl(f, "cmdOK"));  // OK in the sheet view goes back first
    }));
    forms::setDisplay(previous);
    EXPECT_GE(tries, 9 + 3) << "at least a cell to the sheet, a row back";
    EXPECT_EQ(refused, tries);
    EXPECT_EQ(values, table({{"N", "0", "0"}, {"", "0", "5"}}));
}

TEST_F(GridInputTest, AnErrorIsReportedAndLeavesTheCallersArraysAndTheSizeHasLimits)
{
    valmor.NoRowGrid(5);  // the table has 3 rows
    const rt::VArray before = values;
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    EXPECT_TRUE(run([](Form&) { ADD_FAILURE() << "the dialog opened"; }));
    ASSERT_EQ(script->boxes().size(), 1u);
    EXPECT_TRUE(values == before && titles.isAllocated());
    EXPECT_FALSE(halvex::libraryState().GridInputTypes.isAllocated());
    for (Form* f : forms::loadedForms()) EXPECT_NE(f->Name(), "frmGridInput");

    // 32766 rows open; a row more is refused.
    valmor.NoRowGrid(32766);
    values.redim(0, 32766, 0, 3);
    script->answer(forms::vbOK);
    EXPECT_TRUE(run([](Form& f) { forms::click(ctl(f, "cmdCopy")); }));
    ASSERT_EQ(script->boxes().size(), 2u);
    EXPECT_NE(script->boxes()[1].prompt.find("32766"), std::string::npos);

    valmor.NoColGrid(12);  // the grid's width has a cap
    valmor.NoRowGrid(3);
    for (rt::VArray* a : {&titles, &types, &maxima, &minima}) a->redim(0, 12);
    values.redim(0, 3, 0, 12);
    EXPECT_TRUE(run([](Form& f) {
        EXPECT_EQ(ctl(f, "GrdInput").Width(), 6200);
        forms::closeWindow(f);
    }));

    const std::int32_t C = forms::kSheetColumns + 44;  // wider than the sheet: the view stays, no value is lost
    valmor.NoColGrid(static_cast<std::int16_t>(C));
    for (rt::VArray* a : {&titles, &types, &maxima, &minima}) a->redim(0, C);
    for (std::int32_t c = 1; c <= C; ++c) types.at(c) = std::int16_t{halvex::InputString};
    values.redim(0, 3, 0, C);
    values.at(2, C) = std::string("last");
    script->answer(forms::vbOK);
    EXPECT_FALSE(run([](Form& f) {
        forms::click(ctl(f, "CmdExcel"));
        forms::click(ctl(f, "cmdOK"));
    }));
    EXPECT_TRUE(script->boxes().size() == 3 && values.at(2, C).toString() == "last");
}
