// Typed-number checks, the lenient conversions and the Variant-array
// helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/input_checks.h"
#include "halvex/services/library_state.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace {

std::string text(std::int32_t number, std::vector<rt::Variant> list = {})
{
    return halvex::textLib().GetText(rt::Variant(number), list);
}

// A shown form with two text boxes, a label and an input grid.
class EntryForm : public forms::Form {
public:
    EntryForm() : Form("frmEntry") {}
    forms::ControlRef txtValue{this, "txtValue"};
    forms::ControlRef txtOther{this, "txtOther"};
    forms::ControlRef lblValue{this, "lblValue"};
    forms::ControlRef GrdInput{this, "GrdInput"};

protected:
    void design() override
    {
        add(forms::Kind::TextBox, "txtOther");
        add(forms::Kind::TextBox, "txtValue");
        add(forms::Kind::Label, "lblValue").Caption("Minimum angle");
        forms::Control& grid = add(forms::Kind::Grid, "GrdInput");
        grid.Rows(3);
        grid.Cols(3);
    }
};

class InputChecksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        halvex::libraryState().DecimalSystem = halvex::SystemPoint;
        form.Show();
        form.txtOther->SetFocus();
    }
    void TearDown() override { form.Unload(); }

    // Checks `entry` typed into txtValue; the message box, if any, in box.
    bool check(const std::string& entry, std::int16_t mode, double max = 0, double min = 0,
               const rt::Variant& caption = rt::Variant(std::int32_t{140005}))
    {
        form.txtValue->Text(entry);
        forms::ScopedMsgBox script;
        script->answer(forms::vbOK);
        const bool rejected = valmor.InputType(*form.txtValue, mode, max, min, caption);
        shown = !script->boxes().empty();
        box = shown ? script->boxes()[0] : forms::MessageBoxRequest{};
        return rejected;
    }
    static std::string formatText(const std::string& entry) { return text(140003, {"|1", entry}); }
    static std::string rangeText(const std::string& lower, const std::string& upper)
    {
        return text(140001, {"|1", lower, "|2", upper});
    }
    // The range of a value that must lie above `lower`, in words.
    static std::string aboveText(const std::string& lower, const std::string& upper)
    {
        return text(140370, {"|1", lower, "|2", upper});
    }

    halvex::ClsValmor valmor;
    EntryForm form;
    forms::MessageBoxRequest box;
    bool shown = false;
};

TEST_F(InputChecksTest, DecimalSeparatorOfTheSystem)
{
    EXPECT_FALSE(check("1.5", halvex::InputSingle, 10, 0));
    EXPECT_FALSE(check(" -2.5E+1 ", halvex::InputDouble, 0, -100));
    EXPECT_FALSE(shown);
    EXPECT_TRUE(check("1,5", halvex::InputSingle, 10, 0));
    EXPECT_EQ(box.prompt, formatText("1,5"));
    EXPECT_EQ(box.style, forms::vbInformation);
    EXPECT_EQ(box.title, text(140005));
    EXPECT_EQ(form.txtValue->Text(), "1,5") << "the entry stays as typed";

    halvex::libraryState().DecimalSystem = halvex::SystemComma;
    EXPECT_FALSE(check("1,5", halvex::InputSingle, 10, 0));
    EXPECT_TRUE(check("1.5", halvex::InputSingle, 10, 0));
    EXPECT_EQ(box.prompt, formatText("1.5"));
    EXPECT_TRUE(check("1.000,5", halvex::InputSingle, 2000, 0)) << "no digit grouping";
    // Limits are written as the user types numbers.
    EXPECT_TRUE(check("3", halvex::InputSingle, 2.5, 0.5));
    EXPECT_EQ(box.prompt, rangeText("0,5", "2,5"));
}

TEST_F(InputChecksTest, IntegerModeRejectsAnySeparator)
{
    EXPECT_FALSE(check("42", halvex::InputInteger, 32000, -32000));
    EXPECT_TRUE(check("42.0", halvex::InputInteger, 32000, -32000));
    EXPECT_EQ(box.prompt, formatText("42.0"));
    EXPECT_TRUE(check("42,0", halvex::InputInteger, 32000, -32000));
    halvex::libraryState().DecimalSystem = halvex::SystemComma;
    EXPECT_TRUE(check("42,0", halvex::InputInteger, 32000, -32000));
    EXPECT_TRUE(check("32001", halvex::InputInteger, 32000, -32000));
    EXPECT_EQ(box.prompt, rangeText("-32000", "32000"));
}

TEST_F(InputChecksTest, TextsThatAreNoNumber)
{
    EXPECT_TRUE(check("abc", halvex::InputSingle, 10, 0));
    EXPECT_EQ(box.prompt, formatText("abc"));
    EXPECT_TRUE(check("1e400", halvex::InputDouble, 10, 0)) << "too large for any number";
    // Mode 5 takes F for free and names other entries with its own text.
    EXPECT_TRUE(check("free", halvex::InputVariant, 10, 0));
    EXPECT_EQ(box.prompt, text(140002, {"|1", "free"}));
    EXPECT_FALSE(check("f", halvex::InputVariant, 10, 0));
    EXPECT_FALSE(shown);
    EXPECT_EQ(form.txtValue->Text(), "F");
    // An empty entry is 0.
    EXPECT_FALSE(check("", halvex::InputSingle, 10, 0));
    EXPECT_EQ(form.txtValue->Text(), "0");
    EXPECT_TRUE(check("", halvex::InputSingleGreaterZero));
    EXPECT_EQ(box.prompt, aboveText("0", "1E+38"));
}

TEST_F(InputChecksTest, LimitsOfTheModes)
{
    // 1-5 and others: the caller's limits, both inclusive.
    EXPECT_FALSE(check("10", halvex::InputSingle, 10, 0));
    EXPECT_FALSE(check("0", halvex::InputSingle, 10, 0));
    EXPECT_TRUE(check("-0.25", halvex::InputSingle, 2.5, -0.125));
    EXPECT_EQ(box.prompt, rangeText("-0.125", "2.5"));
    EXPECT_TRUE(check("3", 42, 2.5, 0));
    // 6: zero or more up to 1E38, whatever the caller passed.
    EXPECT_FALSE(check("0", halvex::InputSingleZeroOrGreater, 5, 3));
    EXPECT_FALSE(check("1E+30", halvex::InputSingleZeroOrGreater, 5, 3));
    EXPECT_TRUE(check("-0.5", halvex::InputSingleZeroOrGreater));
    EXPECT_EQ(box.prompt, rangeText("0", "1E+38"));
    // 7: above zero.
    EXPECT_FALSE(check("0.5", halvex::InputSingleGreaterZero));
    EXPECT_TRUE(check("0", halvex::InputSingleGreaterZero));
    EXPECT_EQ(box.prompt, aboveText("0", "1E+38"));
    // 8: no limit.
    EXPECT_FALSE(check("-1E+37", halvex::InputSingleWithoutLimit, 1, 0));
    EXPECT_TRUE(check("-2E+38", halvex::InputSingleWithoutLimit));
    EXPECT_EQ(box.prompt, rangeText("-1E+38", "1E+38"));
    // 9: above zero up to the caller's maximum.
    EXPECT_FALSE(check("90", halvex::InputSingleGreaterZeroButNotMax, 90, 45));
    EXPECT_TRUE(check("90.5", halvex::InputSingleGreaterZeroButNotMax, 90, 45));
    EXPECT_EQ(box.prompt, aboveText("0", "90"));
    EXPECT_TRUE(check("0", halvex::InputSingleGreaterZeroButNotMax, 90, 45));
}

TEST_F(InputChecksTest, FieldNameTitlesTheMessage)
{
    check("x", halvex::InputSingle, 1, 0, rt::Variant("Slab thickness"));
    EXPECT_EQ(box.title, "Slab thickness");
    for (const rt::Variant& nothing : {rt::Variant(""), rt::Variant(), rt::Variant::missing()}) {
        check("x", halvex::InputSingle, 1, 0, nothing);
        EXPECT_EQ(box.title, text(5));
    }
    form.txtValue->Text("x");
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    EXPECT_TRUE(valmor.InputType(*form.txtValue, halvex::InputSingle, 1, 0, *form.lblValue));
    ASSERT_EQ(script->boxes().size(), 1u);
    EXPECT_EQ(script->boxes()[0].title, "Minimum angle");
}

TEST_F(InputChecksTest, RejectedEntryIsSelectedAgain)
{
    EXPECT_TRUE(check("12.75", halvex::InputSingle, 10, 0));
    EXPECT_EQ(form.ActiveControl(), &form.txtValue.get());
    EXPECT_EQ(form.txtValue->SelStart(), 0);
    EXPECT_EQ(form.txtValue->SelLength(), 5);

    // The input grid keeps the focus where it is.
    form.txtOther->SetFocus();
    forms::Control& grid = *form.GrdInput;
    grid.Row(1);
    grid.Col(1);
    grid.Text("x");
    forms::ScopedMsgBox script;
    script->answer(forms::vbOK);
    EXPECT_TRUE(valmor.InputType(grid, halvex::InputSingle, 10, 0, rt::Variant("Load")));
    EXPECT_EQ(form.ActiveControl(), &form.txtOther.get());

    // On a hidden form the focus cannot move; the check goes on.
    form.Hide();
    EXPECT_TRUE(check("x", halvex::InputSingle, 1, 0));
    EXPECT_TRUE(shown);
}

TEST(ConversionsTest, LenientConversions)
{
    halvex::ClsValmor valmor;
    EXPECT_EQ(valmor.CIntPrivate(rt::Variant(2.5)), 2);
    EXPECT_EQ(valmor.CIntPrivate(rt::Variant(3.5)), 4);
    EXPECT_EQ(valmor.CIntPrivate(rt::Variant("-2.5")), -2);
    EXPECT_EQ(valmor.CIntPrivate(rt::Variant("7,5")), 8) << "either separator converts";
    EXPECT_EQ(valmor.CIntPrivate(rt::Variant(true)), -1);
    for (const rt::Variant& none : {rt::Variant("abc"), rt::Variant(), rt::Variant::missing(), rt::Variant(rt::VArray())})
        EXPECT_EQ(valmor.CIntPrivate(none), 0);
    EXPECT_EQ(valmor.CSngPrivate(rt::Variant("0.1")), 0.1f);
    EXPECT_EQ(valmor.CSngPrivate(rt::Variant("1,5")), 1.5f);
    EXPECT_EQ(valmor.CSngPrivate(rt::Variant("1.5.2")), 0.0f);

    try {
        valmor.CIntPrivate(rt::Variant("3e9"));
        ADD_FAILURE() << "expected overflow";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
    }
    try {
        valmor.CSngPrivate(rt::Variant(1E39));
        ADD_FAILURE() << "expected overflow";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
    }

    rt::Variant box("n/a");
    EXPECT_EQ(halvex::CSngSafe(box), 0.0f);
    EXPECT_EQ(box.type(), rt::VarType::Integer) << "the caller's variable holds the Integer 0";
}

class ArrayHelpersTest : public ::testing::Test {
protected:
    // (0..3, 0..2) with element (r, c) = 10 r + c.
    void SetUp() override
    {
        rt::VArray array;
        array.redim(0, 3, 0, 2);
        for (std::int32_t r = 0; r <= 3; ++r)
            for (std::int32_t c = 0; c <= 2; ++c) array.at(r, c) = rt::Variant(10 * r + c);
        table = rt::Variant(array);
    }
    const rt::Variant& at(std::int32_t r, std::int32_t c) const { return table.array().at(r, c); }
    rt::Variant table;
    halvex::ClsValmor valmor;
};

TEST_F(ArrayHelpersTest, UBoundNeverFails)
{
    EXPECT_EQ(valmor.UBoundPrivate(table, 2), 2);
    rt::VArray list;
    EXPECT_EQ(valmor.UBoundPrivate(list), 0) << "without storage";
    list.redim(0, 5);
    EXPECT_EQ(valmor.UBoundPrivate(rt::Variant(list)), 5);
    EXPECT_EQ(valmor.UBoundPrivate(list, 2), 0) << "no second dimension";
    list.redim(-3, -1);
    EXPECT_EQ(valmor.UBoundPrivate(list), 0) << "a negative bound";
    EXPECT_EQ(valmor.UBoundPrivate(rt::Variant("text")), 0);
}

TEST_F(ArrayHelpersTest, ReDimKeepsWhatStaysInside)
{
    valmor.ReDimPreserveTwoDimArray(table, 3, 4);
    for (std::int32_t r = 0; r <= 3; ++r) {
        for (std::int32_t c = 0; c <= 2; ++c) EXPECT_EQ(at(r, c).toLong(), 10 * r + c);
        EXPECT_TRUE(at(r, 4).isEmpty());
    }

    valmor.ReDimPreserveTwoDimArray(table, 5, 2);
    EXPECT_EQ(table.array().ubound(1), 5);
    EXPECT_EQ(table.array().ubound(2), 2);
    for (std::int32_t c = 0; c <= 2; ++c) {
        EXPECT_TRUE(at(0, c).isEmpty()) << "row 0 is not carried";
        for (std::int32_t r = 1; r <= 3; ++r) EXPECT_EQ(at(r, c).toLong(), 10 * r + c);
        EXPECT_TRUE(at(5, c).isEmpty());
    }

    rt::Variant notAnArray(5);
    try {
        valmor.ReDimPreserveTwoDimArray(notAnArray, 2, 2);
        ADD_FAILURE() << "expected type mismatch";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), 13);
    }
}

}  // namespace
