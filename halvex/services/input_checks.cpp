#include "halvex/services/input_checks.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/rounding.h"
#include "platform/runtime/strings.h"

namespace halvex {

using quillon::TextNo;

namespace {

constexpr double kNoLimit = 1E38;

// Runs one step of a procedure that ignores its run-time errors step by
// step. Other exceptions (a message box nobody answers in a test) pass.
template <typename Step>
void ignoringRuntimeErrors(Step step)
{
    try {
        step();
    } catch (const rt::RuntimeError&) {
        // The step is skipped.
    }
}

// Typed number text: at most one decimal separator, "." or ",".
std::string withDecimalPoint(std::string_view text, bool& usable)
{
    std::string result(text);
    int separators = 0;
    for (char& c : result) {
        if (c == '.' || c == ',') {
            ++separators;
            c = '.';
        }
    }
    usable = separators <= 1;
    return result;
}

bool readTypedNumber(std::string_view text, double& number)
{
    bool usable = false;
    const std::string pointText = withDecimalPoint(text, usable);
    if (!usable) return false;
    try {
        return rt::parseNumber(pointText, number);
    } catch (const rt::RuntimeError&) {
        return false;  // too large for any number
    }
}

// A Single from typed number text (rounded directly from the text).
bool readTypedSingle(std::string_view text, float& number)
{
    bool usable = false;
    const std::string pointText = withDecimalPoint(text, usable);
    return usable && rt::parseSingle(pointText, number);
}

// A limit as the user types numbers: shortest text, system separator.
std::string limitText(double value, std::int32_t system)
{
    std::string text = rt::formatDouble(value);
    if (system == SystemComma)
        for (char& c : text)
            if (c == '.') c = ',';
    return text;
}

std::int32_t characterCount(const std::string& text)
{
    std::int32_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

// The field name of the message title.
std::string fieldName(const rt::Variant& caption)
{
    quillon::ClsLanguageText& texts = textLib();
    std::string name;
    double number = 0;
    // A caption the caller left out names nothing.
    if (caption.isMissing())
        name.clear();
    else if (IsNumericValue(caption, number))
        name = texts.GetText(caption);
    else
        name = caption.toString();
    if (name.empty()) name = texts.GetText(rt::Variant(TextNo(5)));
    return name;
}

}  // namespace

std::int32_t SystemDecimalType()
{
    LibraryState& state = libraryState();
    if (state.DecimalSystem != SystemPoint && state.DecimalSystem != SystemComma) {
        // The user's numeric locale as the environment names it, read into
        // a locale object of its own: the process's C locale is left alone.
        std::int32_t system = SystemPoint;
        locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
        if (user != static_cast<locale_t>(nullptr)) {
            const char* radix = nl_langinfo_l(RADIXCHAR, user);
            if (radix != nullptr && std::strcmp(radix, ",") == 0) system = SystemComma;
            freelocale(user);
        }
        state.DecimalSystem = system;
    }
    return state.DecimalSystem;
}

bool IsNumericValue(const rt::Variant& value, double& number)
{
    switch (value.type()) {
    case rt::VarType::Empty: number = 0; return true;
    case rt::VarType::Boolean: number = value.toBool() ? -1.0 : 0.0; return true;
    case rt::VarType::Integer:
    case rt::VarType::Long:
    case rt::VarType::Single:
    case rt::VarType::Double: number = value.toDouble(); return true;
    case rt::VarType::String: return readTypedNumber(value.toString(), number);
    case rt::VarType::Missing:
    case rt::VarType::Array: return false;
    }
    return false;
}

bool CheckInputType(forms::Control& control, std::int16_t mode, double max, double min,
                    const rt::Variant& caption)
{
    switch (mode) {
    case InputSingleZeroOrGreater:
    case InputSingleGreaterZero:
        max = kNoLimit;
        min = 0;
        break;
    case InputSingleWithoutLimit:
        max = kNoLimit;
        min = -kNoLimit;
        break;
    case InputSingleGreaterZeroButNotMax: min = 0; break;
    default: break;
    }
    // A limit that is no number would reject every entry without a word.
    if (std::isnan(max)) RaiseArgumentError(5, HALVEX_MEMBER(ClsValmor, InputType), "MaxInput");
    if (std::isnan(min)) RaiseArgumentError(5, HALVEX_MEMBER(ClsValmor, InputType), "MinInput");
    const bool lowerExclusive = mode == InputSingleGreaterZero || mode == InputSingleGreaterZeroButNotMax;

    const std::string name = fieldName(caption);
    std::string value = control.Text();

    if (mode == InputVariant && rt::ucase(value) == "F") {
        ignoringRuntimeErrors([&] { control.Text("F"); });
        return false;
    }

    // From here on a step that fails is skipped.
    quillon::ClsLanguageText& texts = textLib();
    auto showMessage = [&](const rt::Variant& textNumber, const std::vector<rt::Variant>& replacements) {
        forms::screen().MousePointer(0);
        ignoringRuntimeErrors([&] {
            forms::MsgBox(texts.GetText(textNumber, replacements),
                          texts.MessageBoxFlags() | forms::vbInformation, name);
        });
    };
    auto reject = [&] {
        if (control.Name() != "GrdInput") {
            ignoringRuntimeErrors([&] { control.SetFocus(); });
            ignoringRuntimeErrors([&] { control.SelStart(0); });
            ignoringRuntimeErrors([&] { control.SelLength(characterCount(control.Text())); });
        }
        return true;
    };
    auto formatMessage = [&] {
        const rt::Variant textNumber(mode == InputVariant ? TextNo(140002) : TextNo(140003));
        showMessage(textNumber, {rt::Variant("|1"), rt::Variant(value)});
        return reject();
    };

    if (value.empty()) {
        value = "0";
        ignoringRuntimeErrors([&] {
            control.Text("0");
            value = control.Text();
        });
    }

    double number = 0;
    if (!readTypedNumber(value, number)) return formatMessage();

    const std::int32_t system = SystemDecimalType();
    for (char c : value) {
        const bool wrongSeparator = (c == '.' && (system == SystemComma || mode == InputInteger)) ||
                                    (c == ',' && (system == SystemPoint || mode == InputInteger));
        if (wrongSeparator) return formatMessage();
    }

    const bool outOfRange = number > max || (lowerExclusive ? number <= min : number < min);
    if (!outOfRange) return false;

    // A lower limit the value may not reach is said in words ("greater
    // than 0"), never as "<0", which reads as "less than zero".
    showMessage(rt::Variant(TextNo(lowerExclusive ? 140370 : 140001)),
                {rt::Variant("|1"), rt::Variant(limitText(min, system)), rt::Variant("|2"),
                 rt::Variant(limitText(max, system))});
    return reject();
}

bool CheckInputType(forms::Control& control, std::int16_t mode, double max, double min,
                    const forms::Control& captionLabel)
{
    return CheckInputType(control, mode, max, min, rt::Variant(captionLabel.Caption()));
}

float CSngSafe(rt::Variant& value)
{
    double number = 0;
    if (!IsNumericValue(value, number)) value = rt::Variant(std::int16_t{0});
    return CSngPrivate(value);
}

std::int32_t CIntPrivate(const rt::Variant& CheckValue)
{
    double number = 0;
    if (!IsNumericValue(CheckValue, number)) return 0;
    return rt::CLng(number);
}

float CSngPrivate(const rt::Variant& CheckValue)
{
    double number = 0;
    if (!IsNumericValue(CheckValue, number)) return 0.0f;
    switch (CheckValue.type()) {
    case rt::VarType::Single: return CheckValue.toSingle();
    case rt::VarType::String: {
        // Rounded directly from the text, as a Single read from a file.
        float single = 0.0f;
        if (readTypedSingle(CheckValue.toString(), single)) return single;
        return rt::toSingleChecked(number);
    }
    default: return rt::toSingleChecked(number);
    }
}

std::int32_t UBoundSafe(const rt::VArray& arrayname, std::int16_t dimension)
{
    if (!arrayname.isAllocated() || dimension < 1 || dimension > arrayname.dimensions()) return 0;
    const std::int32_t bound = arrayname.ubound(dimension);
    return bound < 0 ? 0 : bound;
}

std::int32_t UBoundSafe(const rt::Variant& arrayname, std::int16_t dimension)
{
    if (!arrayname.isArray()) return 0;
    return UBoundSafe(arrayname.array(), dimension);
}

void ReDimPreserve2D(rt::Variant& arrayname, std::int16_t i, std::int16_t j)
{
    rt::VArray& array = arrayname.array();  // error 13 when no array is held
    const std::int16_t oldRows = rt::toIntegerChecked(UBoundSafe(array, 1));
    const std::int16_t oldCols = rt::toIntegerChecked(UBoundSafe(array, 2));

    if (i == oldRows) {
        if (j != oldCols) array.redimPreserve(0, i, 0, j);
        return;
    }

    rt::VArray saved;
    saved.redim(0, oldRows, 0, oldCols);
    for (std::int32_t r = 1; r <= oldRows; ++r)
        for (std::int32_t c = 0; c <= oldCols; ++c) saved.at(r, c) = array.at(r, c);

    array.redim(0, i, 0, j);
    const std::int32_t keepRows = std::min<std::int32_t>(i, oldRows);
    const std::int32_t keepCols = std::min<std::int32_t>(j, oldCols);
    for (std::int32_t r = 1; r <= keepRows; ++r)
        for (std::int32_t c = 0; c <= keepCols; ++c) array.at(r, c) = saved.at(r, c);
}

}  // namespace halvex
