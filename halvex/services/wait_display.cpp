#include "halvex/services/wait_display.h"

#include <algorithm>
#include <vector>

#include "halvex/services/form_language.h"
#include "halvex/services/library_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/rounding.h"

namespace halvex {

using quillon::TextNo;

namespace {

const std::string kCR = "\r";

std::string text(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number));
}

// Text n with "|1" = the current file path.
std::string fileText(std::int32_t number)
{
    return textLib().GetText(rt::Variant(number), {rt::Variant("|1"), rt::Variant(libraryState().CurrentFilePath)});
}

// Whether the current file has a kind: not nothing, not the number 0 and
// not the empty text that an unknown kind leaves.
bool kindIsSet()
{
    const rt::Variant& kind = libraryState().FileTypeText;
    switch (kind.type()) {
    case rt::VarType::Empty:
    case rt::VarType::Missing: return false;
    case rt::VarType::String: return !kind.toString().empty();
    case rt::VarType::Array: return true;
    default: return kind.toDouble() != 0;
    }
}

std::string kindText()
{
    return textLib().GetText(libraryState().FileTypeText);
}

// " (" kind ") " when the kind is set, else "".
std::string kindPart()
{
    return kindIsSet() ? " (" + kindText() + ") " : std::string();
}

// Half of a difference of twips, to the nearest twip.
std::int32_t centred(std::int32_t outer, std::int32_t inner)
{
    return static_cast<std::int32_t>(rt::roundHalfEven((static_cast<double>(outer) - inner) / 2.0));
}

}  // namespace

void StartWait(forms::Form* FrmShow, std::int16_t ITxtCont, forms::Control* ObjStbar)
{
    std::string info = kindPart();
    switch (ITxtCont) {
    case kWaitKindOnly: info = kindIsSet() ? kindText() : std::string(); break;
    case kWaitReading: info = fileText(TextNo(140197)) + kCR + kCR + info; break;
    case kWaitSaving: info = fileText(TextNo(140198)) + kCR + kCR + info; break;
    default: break;
    }

    if (ObjStbar != nullptr) StatusClear(*ObjStbar, info);

    if (FrmShow == nullptr) return;
    forms::Form& form = *FrmShow;
    forms::Control& cmdOK = form.control("cmdOK");
    forms::Control& LblFlashing = form.control("LblFlashing");
    forms::Control& LblInfText = form.control("LblInfText");

    cmdOK.Visible(true);
    LblFlashing.Visible(true);
    LblInfText.Visible(true);
    LblFlashing.Caption(kCR + text(TextNo(104)) + kCR);
    LblInfText.Caption(info + kCR);

    const bool maximised = form.WindowState() == forms::vbMaximized;
    if (!maximised) {
        // The form only grows.
        const std::int32_t width = std::max<std::int32_t>(LblInfText.Width() + 250, 3200);
        if (width > form.Width()) form.Width(width);
    }

    LblFlashing.Top(30);
    LblInfText.Top(LblFlashing.Height() + 60);
    const std::int32_t bottom = LblFlashing.Height() + std::max(LblFlashing.Height(), LblInfText.Height()) + 90;
    cmdOK.Top(bottom + 90);
    if (!maximised) form.Height(cmdOK.Top() + cmdOK.Height() + 500);

    LblFlashing.Left(centred(form.Width(), LblFlashing.Width()));
    LblInfText.Left(centred(form.Width(), LblInfText.Width()));
    cmdOK.Left(centred(form.Width(), 1250));

    CenterFormOnScreen(form);
    forms::doEvents();
}

void StatusWait(forms::Control& ObjStbar, std::int16_t ITxtCont)
{
    std::string status = kindPart();
    switch (ITxtCont) {
    case 1:
    case 2: status = fileText(TextNo(140197)) + " " + status; break;
    // 3 is the saving status, as in StartWait.
    case 3:
    case 4: status = fileText(TextNo(140198)) + " " + status; break;
    default: status = kindIsSet() ? kindText() : std::string(); break;
    }
    StatusClear(ObjStbar, status);
}

void StatusClear(forms::Control& ObjStbar, const std::string& TextWait)
{
    if (ObjStbar.Visible()) {
        ObjStbar.PanelText(1, TextWait);
        ObjStbar.Refresh();
    }
    forms::doEvents();
}

bool ExitMessage(std::int16_t& Cancel, std::int16_t UnloadMode)
{
    if (UnloadMode == forms::vbFormCode) return false;
    quillon::ClsLanguageText& texts = textLib();
    forms::screen().MousePointer(0);
    const std::int16_t answer =
        forms::MsgBox(text(TextNo(140172)), texts.MessageBoxFlags() | forms::vbOKCancel | forms::vbQuestion,
                      text(TextNo(140173)));
    Cancel = -1;
    return answer == forms::vbOK;
}

rt::Variant GetMethodTitle(CalculationMethod Shws, std::string& TitelUe1, std::string& TitelUe2, std::int16_t Nbp)
{
    // "Calculation method (n)", optionally followed by " (" kind ")".
    auto methodLine = [](const char* number, std::int32_t kind) {
        std::string line = text(TextNo(127)) + " (" + number + ")";
        if (kind != 0) line += " (" + text(kind) + ")";
        return line;
    };
    const std::int32_t halfSpace = TextNo(151);
    const std::int32_t compressibility = TextNo(152);

    switch (Shws) {
    case ModulusOfCompressibilty:
        TitelUe1 = methodLine("7", compressibility);
        TitelUe2 = text(TextNo(90029));
        break;
    case HalfSpace:
        TitelUe1 = methodLine("5", halfSpace);
        TitelUe2 = text(TextNo(129));
        break;
    case Givensubgrade:
        TitelUe1 = methodLine(Nbp == 1 ? "2" : "3", 0);
        TitelUe2 = text(TextNo(134));
        break;
    case ConventionalMethod:
        TitelUe1 = methodLine("1", 0);
        TitelUe2 = text(TextNo(130));
        break;
    case Varhold1997:
        TitelUe1 = methodLine("6", compressibility);
        TitelUe2 = text(TextNo(131));
        break;
    case Tamrel1984:
        TitelUe1 = methodLine("4", compressibility);
        TitelUe2 = text(TextNo(132));
        break;
    case RigidSlab:
        TitelUe1 = methodLine("8", compressibility);
        TitelUe2 = text(TextNo(133));
        break;
    case subgradeFromHalfSpace:
        TitelUe1 = methodLine("2", halfSpace);
        TitelUe2 = text(TextNo(135));
        break;
    case subgradeFromModulusOfCompressibilty:
        TitelUe1 = methodLine(Nbp == 1 ? "2" : "3", compressibility);
        TitelUe2 = text(TextNo(136));
        break;
    case FlexibleFoundation:
        TitelUe1 = methodLine("9", compressibility);
        TitelUe2 = text(TextNo(149));
        break;
    case MethodSlabFloor: TitelUe2 = text(TextNo(160004)); break;
    case MethodGridbeams: TitelUe2 = text(TextNo(160002)); break;
    case Varhold1997_HalfSpace:
        TitelUe1 = methodLine("6", halfSpace);
        TitelUe2 = text(TextNo(131));
        break;
    case Tamrel1984_HalfSpace:
        TitelUe1 = methodLine("4", halfSpace);
        TitelUe2 = text(TextNo(132));
        break;
    case RigidSlab_HalfSpace:
        TitelUe1 = methodLine("8", halfSpace);
        TitelUe2 = text(TextNo(133));
        break;
    case FlexibleFoundation_HalfSpace:
        TitelUe1 = methodLine("9", halfSpace);
        TitelUe2 = text(TextNo(149));
        break;
    case MethodPlaneFrame: TitelUe2 = text(TextNo(153)); break;
    case MethodWallPlate: TitelUe2 = text(TextNo(154)); break;
    default: break;  // the slab systems and anything else: no titles
    }
    return rt::Variant();
}

}  // namespace halvex
