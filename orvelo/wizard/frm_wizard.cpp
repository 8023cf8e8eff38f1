#include "orvelo/wizard/frm_wizard.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <unistd.h>

#include "halvex/interface/enums.h"
#include "halvex/services/input_checks.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/open_project_dialog.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"

namespace orvelo {

namespace {

namespace fs = std::filesystem;
using quillon::TextNo;

// ---- layout, twips ----
constexpr std::int32_t kClientWidth = 7800;
constexpr std::int32_t kStepHeight = 2940;
constexpr std::int32_t kNavTop = 3060;
constexpr std::int32_t kNavHeight = 615;
constexpr std::int32_t kButtonWidth = 1275;
constexpr std::int32_t kButtonHeight = 375;
constexpr std::int32_t kRowPitch = 360;  // parameter rows
constexpr std::int32_t kStepMargin = 120;  // the step frames inside the window
constexpr std::int32_t kCaptionPadding = 360;  // a button's caption to its edges, both sides
constexpr std::int32_t kLabelSlack = 60;  // a label's caption to its edge
constexpr double kLargestMinAngle = 60.0;  // degrees: no triangle has a larger smallest angle

// Runs one statement whose own errors are ignored (a property a control
// refuses, a focus it cannot take).
template <class F>
void ignoringErrors(F&& statement) {
    try {
        statement();
    } catch (const rt::RuntimeError&) {
    }
}

bool endsWithSeparator(std::string_view folder) {
    return !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Whether the folder exists as a folder, and whether the program may make
// files in it.
bool isFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(rt::toNativePath(folder), ec);
}

bool isWritableFolder(const std::string& folder) {
    return ::access(rt::toNativePath(folder).c_str(), W_OK | X_OK) == 0;
}

// Whether two folders are the same folder of the file system.
bool sameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    const fs::path pa = rt::toNativePath(a);
    const fs::path pb = rt::toNativePath(b);
    const bool same = fs::equivalent(pa, pb, ec);
    if (!ec) return same;
    return fs::weakly_canonical(pa, ec).lexically_normal() == fs::weakly_canonical(pb, ec).lexically_normal();
}

// A length as the wizard shows it: the value to the seven significant
// digits a Single holds (a length stored in the base unit and shown in
// another carries the rounding of the conversion), written as the shortest
// text of that Single, with the decimal separator of the user's locale.
std::string shownNumber(double value) {
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 7);
    float rounded = static_cast<float>(value);
    std::from_chars(digits, written.ptr, rounded);
    std::string text = rt::formatSingle(rounded);
    if (halvex::SystemDecimalType() == halvex::SystemComma) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// The largest element size the generation takes for the input project
// (DataDir + ProjectName), in the base unit: ten times the larger side of
// the extent of its net; an element of that size already spans the whole
// slab. A project whose net cannot be read gets the limit of a slab of
// 10 km.
double largestElementSize() {
    constexpr double kSlabsPerElement = 10.0;
    constexpr double kUnknownSlab = 10000.0;
    const Declar& d = declar();
    std::int16_t elements = 0, nodes = 0, failed = 0;
    std::vector<NetElement> list;
    std::vector<float> x, y;
    ProjectReader().ReadNetFile(d.DataDir + d.ProjectName, elements, list, nodes, x, y, 0, nullptr, failed);
    double extent = 0.0;
    if (failed == 0 && nodes > 0) {
        const auto [minX, maxX] = std::minmax_element(x.begin() + 1, x.begin() + nodes + 1);
        const auto [minY, maxY] = std::minmax_element(y.begin() + 1, y.begin() + nodes + 1);
        extent = std::max(static_cast<double>(*maxX) - *minX, static_cast<double>(*maxY) - *minY);
    }
    if (!(extent > 0.0)) extent = kUnknownSlab;
    return kSlabsPerElement * extent;
}

// A positive limit rounded up to two significant digits, as a message shows
// it (120, 3.5, 0.012).
double roundedUp(double value) {
    const int exponent = static_cast<int>(std::floor(std::log10(value))) - 1;
    if (exponent >= 0) {
        const double step = std::pow(10.0, exponent);
        return std::ceil(value / step - 1e-9) * step;
    }
    const double scale = std::pow(10.0, -exponent);
    return std::ceil(value * scale - 1e-9) / scale;
}

// Marks the fields as filled by the program while it lives.
class FillingFields {
public:
    explicit FillingFields(bool& flag) : flag_(flag) { flag_ = true; }
    ~FillingFields() { flag_ = false; }
    FillingFields(const FillingFields&) = delete;
    FillingFields& operator=(const FillingFields&) = delete;

private:
    bool& flag_;
};

std::string text(std::int32_t number, std::vector<rt::Variant> parameters = {}) {
    return LanguageTexts().GetText(rt::Variant(number), parameters);
}

// What is wrong with a name for the output project's files, as the message
// that says it ("" when the files can have it and be found by it): empty,
// dots only or a folder; one of * ? " < > | or a control character; longer
// than the temporary folder the run makes beside it allows.
std::string OutputNameFault(const std::string& name) {
    if (name.empty() || name.find_first_not_of('.') == std::string::npos ||
        name.find_first_of("/\\") != std::string::npos)
        return text(TextNo(190014));
    const auto bad = std::find_if(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || std::string_view("*?\"<>|").find(c) != std::string_view::npos;
    });
    if (bad != name.end()) {
        const auto u = static_cast<unsigned char>(*bad);
        char code[8];
        std::snprintf(code, sizeof code, "U+%04X", u);
        const std::string shown = u < 0x20 || u == 0x7F ? std::string(code) : std::string(1, *bad);
        return text(TextNo(190300), {rt::Variant("|1"), rt::Variant(name), rt::Variant("|2"), rt::Variant(shown)});
    }
    if (name.size() > LongestOutputName())
        return text(TextNo(190301), {rt::Variant("|1"), rt::Variant(name), rt::Variant("|2"),
                                     rt::Variant(static_cast<std::int32_t>(name.size())), rt::Variant("|3"),
                                     rt::Variant(static_cast<std::int32_t>(LongestOutputName()))});
    return std::string();
}

}  // namespace

bool HasProjectExtension(const std::string& path) {
    return path.size() >= 4 && sameNameIgnoringCase(std::string_view(path).substr(path.size() - 4), ".PO1");
}

std::string WithoutProjectExtension(const std::string& path) {
    return HasProjectExtension(path) ? path.substr(0, path.size() - 4) : path;
}

frmWizard::frmWizard(std::string commandLine)
    : Form("frmWizard"), commandLine_(std::move(commandLine)), openDialog_(LibraryOpenProjectDialog()) {
    using forms::Event;
    on(Event::Load, [this] { Form_Load(); });
    on(Event::KeyDown, [this](forms::EventArgs& e) { Form_KeyDown(e.KeyCode, e.Shift); });
    on("cmdNav", Event::Click, [this](std::int16_t index) { cmdNav_Click(index); });
    on("Cmdbrowse", Event::Click, [this] { Cmdbrowse_Click(); });
    on("CmdBrowseFolder", Event::Click, [this] { CmdBrowseFolder_Click(); });
    on("OptElementType", Event::Click, [this](std::int16_t index) { OptElementType_Click(index); });
    on("TxtProject", Event::Change, [this] { TxtProject_Change(); });
    on("TxtSaveProjectAs", Event::Change, [this] { OutputField_Change(); });
    on("txtDataDir", Event::Change, [this] { OutputField_Change(); });
    on(Event::QueryUnload, [this](forms::EventArgs& e) { Form_QueryUnload(e.Cancel, e.UnloadMode); });
    on("TxtInputData", Event::KeyPress,
       [this](forms::EventArgs& e) { TxtInputData_KeyPress(e.Index, e.KeyAscii); });
    on("TxtInputData", Event::Change, [this] { TxtInputData_Change(); });
    on("TxtProject", Event::KeyPress, [this](forms::EventArgs& e) { TxtProject_KeyPress(e.KeyAscii); });
    // Enter on a box of the element-type step acts as Next, as in the path.
    for (const char* box : {"OptElementType", "chkSmoothMesh", "chkBoundaryFrontPoint"})
        on(box, Event::KeyPress, [this](forms::EventArgs& e) { TxtProject_KeyPress(e.KeyAscii); });
}

void frmWizard::design() {
    using forms::Kind;
    BorderStyle(3);
    KeyPreview(true);
    const std::int32_t width = kClientWidth + 2 * 4 * forms::kTwipsPerPixel;
    const std::int32_t height = kNavTop + kNavHeight + (18 + 2 * 4) * forms::kTwipsPerPixel;
    Move(std::max(0, (forms::screen().Width() - width) / 2), std::max(0, (forms::screen().Height() - height) / 2),
         width, height);

    for (std::int16_t i = 0; i < 4; ++i)
        add(Kind::Frame, "fraStep", i).Move(kStepMargin, 60, kClientWidth - 2 * kStepMargin, kStepHeight);

    // Step 0: the input project.
    forms::Control& step0 = control("fraStep", 0);
    add(Kind::Label, "Lblproject", -1, &step0).Move(240, 480, 7080, 255);
    add(Kind::TextBox, "TxtProject", -1, &step0).Move(240, 780, 5640, 315);
    add(Kind::CommandButton, "Cmdbrowse", -1, &step0).Move(6000, 765, kButtonWidth, 345);
    add(Kind::CheckBox, "ChkRecalculateMeshBoundary", -1, &step0).Move(240, 1380, 7080, 315);

    // Step 1: the options and the element type.
    forms::Control& step1 = control("fraStep", 1);
    forms::Control& optimization = add(Kind::Frame, "FraOptimization", -1, &step1);
    optimization.Move(240, 420, 3600, 1500);
    add(Kind::CheckBox, "chkSmoothMesh", -1, &optimization).Move(240, 420, 3240, 315);
    add(Kind::CheckBox, "chkBoundaryFrontPoint", -1, &optimization).Move(240, 900, 3240, 315);
    forms::Control& elementType = add(Kind::Frame, "fraElementType", -1, &step1);
    elementType.Move(3960, 420, 3360, 1500);
    for (std::int16_t i = 0; i < 2; ++i) {
        forms::Control& option = add(Kind::OptionButton, "OptElementType", i, &elementType);
        option.Move(360 + i * 1500, 360, 1140, 960);
        option.Style(1);  // a picture button, its picture set at load
    }

    // Step 2: the net parameters, rows placed by LayoutParameterRows.
    forms::Control& step2 = control("fraStep", 2);
    forms::Control& parameters = add(Kind::Frame, "fraGererationParameter", 1, &step2);
    parameters.Move(240, 420, 7080, 1680);
    for (std::int16_t i = 0; i < 3; ++i) {
        add(Kind::Label, "LblInputData", i, &parameters).Move(240, (i + 1) * kRowPitch, 3360, 285);
        add(Kind::TextBox, "TxtInputData", i, &parameters).Move(3720, (i + 1) * kRowPitch, 1440, 285);
        add(Kind::Label, "LblInputUnit", i, &parameters).Move(5280, (i + 1) * kRowPitch, 1680, 285);
    }

    // Step 3: the output project.
    forms::Control& step3 = control("fraStep", 3);
    forms::Control& saveAs = add(Kind::Frame, "FraSaveProjectAs", -1, &step3);
    saveAs.Move(240, 420, 7080, 2160);
    add(Kind::Label, "LblSaveProjectAs", -1, &saveAs).Move(240, 360, 6600, 255);
    add(Kind::TextBox, "TxtSaveProjectAs", -1, &saveAs).Move(240, 660, 5160, 315);
    add(Kind::Label, "LblDataDir", -1, &saveAs).Move(240, 1140, 6600, 255);
    add(Kind::TextBox, "txtDataDir", -1, &saveAs).Move(240, 1440, 5160, 315);
    add(Kind::CommandButton, "CmdBrowseFolder", -1, &saveAs).Move(5520, 1425, kButtonWidth, 345);

    // The navigation buttons: Help on the left; Back, Next, Finish and
    // Cancel on the right. They are made in that order, the order Tab
    // follows.
    forms::Control& nav = add(Kind::PictureBox, "picNav");
    nav.Move(0, kNavTop, kClientWidth, kNavHeight);
    const std::int32_t buttonTop = (kNavHeight - kButtonHeight) / 2;
    const std::int32_t lefts[5] = {120, 6360, 2280, 3660, 5040};  // Help, Cancel, Back, Next, Finish
    for (std::int16_t i : {0, 2, 3, 4, 1})
        add(Kind::CommandButton, "cmdNav", i, &nav).Move(lefts[i], buttonTop, kButtonWidth, kButtonHeight);
    control("cmdNav", 1).Cancel(true);
}

void frmWizard::Form_Load() {
    Declar& d = declar();
    try {
        forms::screen().MousePointer(forms::vbHourglass);
        FinishAllowed_ = false;
        // The steps keep a margin to the window's edges, so that their
        // titles do not touch them.
        for (std::int16_t i = 0; i < 4; ++i) {
            fraStep(i).Left(kStepMargin);
            fraStep(i).Visible(false);
        }

        Caption(text(TextNo(190001)));
        Cmdbrowse->Caption(text(TextNo(190004), {2}));
        Lblproject->Caption(text(TextNo(124), {4}));
        ChkRecalculateMeshBoundary->Caption(text(TextNo(190006)));
        FraOptimization->Caption(text(TextNo(100024)));
        chkSmoothMesh->Caption(text(TextNo(100025)));
        chkBoundaryFrontPoint->Caption(text(TextNo(100026)));
        cmdNav(0).Caption(text(TextNo(8), {1}));
        cmdNav(1).Caption(text(TextNo(7), {1}));
        cmdNav(2).Caption("< " + text(TextNo(40000), {1}));
        cmdNav(3).Caption(text(TextNo(40001), {1}) + " >");
        cmdNav(4).Caption(text(TextNo(40002), {1}));
        fraStep(0).Caption(text(TextNo(40048)));
        fraStep(1).Caption(text(TextNo(100028)));
        fraElementType->Caption(text(TextNo(100028)));
        fraStep(2).Caption(text(TextNo(100019)));
        fraGererationParameter(1).Caption(fraStep(2).Caption());
        fraStep(3).Caption(text(TextNo(10339), {4}));
        FraSaveProjectAs->Caption(text(TextNo(10339)));
        LblSaveProjectAs->Caption(text(TextNo(160028), {5}));
        LblDataDir->Caption(text(TextNo(190005), {5}));
        CmdBrowseFolder->Caption(Cmdbrowse->Caption());
        OptElementType(0).Value(-1);

        forms::app().Title = "Tessaro";
        halvex::ClsValmor& services = SharedServices();
        auto compressFlag = static_cast<halvex::CompressFlagTypes>(d.CompressFlag);
        services.DataDirectory(d.ProgrDir, d.DataDir, compressFlag);
        d.CompressFlag = compressFlag;
        services.GetHelpFileName("Orvelo");
        std::string length2, force1, force2, temperature;
        double length2Factor = 1.0, force1Factor = 1.0, force2Factor = 1.0;
        services.ReadUnits(d.LengthUnit, d.LengthFactor, length2, length2Factor, force1, force1Factor, force2,
                           force2Factor, temperature);
        // The element types are shown as pictures of the program folder.
        OptElementType(0).Picture(d.ProgrDir + "wizard/delaunay.xpm");
        OptElementType(1).Picture(d.ProgrDir + "wizard/grid.xpm");
        OptElementType(0).ToolTipText(text(TextNo(190036)));
        OptElementType(1).ToolTipText(text(TextNo(190037)));
        services.SetRightToLeft(*this);
        FitBrowseButtons();
        FitParameterLabels();

        SetDefaults();
        chkSmoothMesh->Value(d.SmoothMeshFlag ? forms::vbChecked : forms::vbUnchecked);
        chkBoundaryFrontPoint->Value(d.BoundaryFrontPointsFlag ? forms::vbChecked : forms::vbUnchecked);
        ChkRecalculateMeshBoundary->Value(d.RecalculateBoundaryFlag ? forms::vbChecked : forms::vbUnchecked);

        CurrentStep_ = 0;
        ShowStep(0, 0);

        // The whole command line is the input path.
        if (!commandLine_.empty()) {
            {
                const FillingFields filling(fillingFields_);
                TxtProject->Text(commandLine_);
            }
            d.ProjectPath = TxtProject->Text();
            if (TakeInputProject(d.ProjectPath) == 0) ProposeOutputProject();
        }
    } catch (const forms::MsgBoxError&) {
        throw;
    } catch (const std::exception&) {
        HandleError();
    }
    forms::screen().MousePointer(forms::vbDefault);
}

void frmWizard::SetDefaults() {
    Declar& d = declar();
    d.MinAngle = 30.0f;
    d.MeshType = 5;
    d.MaxElementSize = static_cast<float>(1.0 / d.LengthFactor);
    d.MinElementSize = static_cast<float>(0.25 / d.LengthFactor);
    d.SmoothMeshFlag = false;
    d.BoundaryFrontPointsFlag = false;
    d.RecalculateBoundaryFlag = true;
}

void frmWizard::ShowStep(std::int32_t step, std::int32_t mode) {
    if (step < 0 || step > 3) return;
    Declar& d = declar();
    if (mode == 2) {
        bool failed = true;
        ValidateStep(failed);
        if (failed) return;
    }
    if (step == 1) {
        OptElementType(d.MeshType == 5 ? 0 : 1).Value(-1);
    } else if (step == 2) {
        FinishAllowed_ = true;
        for (std::int16_t i = 0; i < 3; ++i) {
            LblInputData(i).Visible(true);
            LblInputUnit(i).Visible(true);
            TxtInputData(i).Visible(true);
        }
        fraGererationParameter(1).Visible(true);
    }
    const auto current = static_cast<std::int16_t>(CurrentStep_);
    fraStep(current).Enabled(false);
    fraStep(static_cast<std::int16_t>(step)).Visible(true);
    if (CurrentStep_ != step) fraStep(current).Visible(false);
    LayoutParameterRows(step);
    if (mode == 2) FillStepFields(step);
    SetNavButtons(step);
    forms::doEvents();
    fraStep(static_cast<std::int16_t>(step)).Enabled(true);
    if (step == 1) {
        fraElementType->Enabled(true);
        OptElementType(0).Enabled(true);
        OptElementType(1).Enabled(true);
    }
    FocusFirstBox(step);
}

void frmWizard::FocusFirstBox(std::int32_t step) {
    // The focus goes to the step's first box, never stays on a button the
    // step disabled or moves onto one by itself.
    ignoringErrors([&] {
        switch (step) {
            case 0: TxtProject->SetFocus(); break;
            case 1: OptElementType(declar().MeshType == 5 ? 0 : 1).SetFocus(); break;
            case 2: TxtInputData(TxtInputData(0).Visible() && TxtInputData(0).Enabled() ? 0 : 1).SetFocus(); break;
            case 3: TxtSaveProjectAs->SetFocus(); break;
            default: break;
        }
    });
}

void frmWizard::SetNavButtons(std::int32_t step) {
    Declar& d = declar();
    CurrentStep_ = step;
    forms::Control& back = cmdNav(2);
    forms::Control& next = cmdNav(3);
    switch (step) {
        case 0:
            back.Enabled(false);
            next.Enabled(!TxtProject->Text().empty());
            break;
        case 1: {
            back.Enabled(true);
            const bool triangles = OptElementType(0).Value() != 0;
            const bool grid = OptElementType(1).Value() != 0;
            next.Enabled(triangles || grid);
            if (triangles) {
                d.MeshType = 5;
                FinishAllowed_ = true;
            } else if (grid) {
                d.MeshType = 3;
                FinishAllowed_ = true;
            }
            break;
        }
        case 2:
            back.Enabled(true);
            next.Enabled(true);
            break;
        case 3:
            back.Enabled(true);
            next.Enabled(false);
            break;
        default:
            break;
    }
    cmdNav(4).Enabled(FinishAllowed_);
}

void frmWizard::LayoutParameterRows(std::int32_t step) {
    if (step != 2) return;
    const Declar& d = declar();
    if (d.MeshType == 5) {
        ignoringErrors([&] { LblInputData(0).Visible(true); });
        ignoringErrors([&] { LblInputUnit(0).Visible(true); });
        ignoringErrors([&] { TxtInputData(0).Visible(true); });
        for (std::int16_t i = 0; i < 3; ++i) {
            const std::int32_t top = (i + 1) * kRowPitch;
            ignoringErrors([&] { LblInputData(i).Top(top); });
            ignoringErrors([&] { LblInputUnit(i).Top(top); });
            ignoringErrors([&] { TxtInputData(i).Top(top); });
        }
        ignoringErrors([&] { LblInputData(0).Caption(text(TextNo(100021))); });
        ignoringErrors([&] { LblInputData(1).Caption(text(TextNo(100022))); });
        ignoringErrors([&] { LblInputData(2).Caption(text(TextNo(100023))); });
        ignoringErrors([&] { LblInputUnit(0).Caption("theta [°]"); });
        ignoringErrors([&] { LblInputUnit(1).Caption("r " + d.LengthUnit); });
        ignoringErrors([&] { LblInputUnit(2).Caption("rmin " + d.LengthUnit); });
    } else {
        ignoringErrors([&] { LblInputData(0).Visible(false); });
        ignoringErrors([&] { LblInputUnit(0).Visible(false); });
        ignoringErrors([&] { TxtInputData(0).Visible(false); });
        for (std::int16_t i = 0; i < 3; ++i) {
            const std::int32_t top = i * kRowPitch;
            ignoringErrors([&] { LblInputData(i).Top(top); });
            ignoringErrors([&] { LblInputUnit(i).Top(top); });
            ignoringErrors([&] { TxtInputData(i).Top(top); });
        }
        ignoringErrors([&] { LblInputData(1).Caption(text(TextNo(100010))); });
        ignoringErrors([&] { LblInputData(2).Caption(text(TextNo(190003))); });
        ignoringErrors([&] { LblInputUnit(1).Caption("a/b " + d.LengthUnit); });
        ignoringErrors([&] { LblInputUnit(2).Caption("a/bmin " + d.LengthUnit); });
    }
}

void frmWizard::FillStepFields(std::int32_t step) {
    const Declar& d = declar();
    if (step == 1) {
        OptElementType(d.MeshType == 5 ? 0 : 1).Value(-1);
    } else if (step == 2 && !parametersTyped_) {
        // What the user typed and has not yet handed over stays.
        const FillingFields filling(fillingFields_);
        TxtInputData(0).Text(rt::formatSingle(d.MinAngle));
        TxtInputData(1).Text(shownNumber(d.MaxElementSize * d.LengthFactor));
        TxtInputData(2).Text(shownNumber(d.MinElementSize * d.LengthFactor));
    }
}

void frmWizard::OptElementType_Click(std::int16_t Index) {
    try {
        declar().MeshType = Index == 0 ? 5 : 3;
        const bool triangles = Index == 0;
        TxtInputData(0).Enabled(triangles);
        LblInputData(0).Enabled(triangles);
        LblInputUnit(0).Enabled(triangles);
        chkSmoothMesh->Enabled(triangles);
        chkBoundaryFrontPoint->Enabled(triangles);
    } catch (const forms::MsgBoxError&) {
        throw;
    } catch (const std::exception&) {
        HandleError();
        Unload();
    }
}

void frmWizard::TxtProject_Change() {
    if (!TxtProject->Text().empty()) cmdNav(3).Enabled(true);
    if (!fillingFields_) FollowInputPath();
}

void frmWizard::OutputField_Change() {
    if (!fillingFields_) outputEdited_ = true;
}

void frmWizard::TxtInputData_Change() {
    if (!fillingFields_) parametersTyped_ = true;
}

void frmWizard::TxtProject_KeyPress(std::int16_t& KeyAscii) {
    // Enter in the path acts as Next.
    if (KeyAscii != forms::vbKeyReturn) return;
    KeyAscii = 0;
    if (cmdNav(3).Enabled()) cmdNav_Click(3);
}

void frmWizard::FitBrowseButtons() {
    auto fit = [this](forms::Control& button, forms::Control& box) {
        const std::int32_t width = std::max(kButtonWidth, TextWidth(button.Caption()) + 2 * kCaptionPadding);
        const std::int32_t grow = width - button.Width();
        if (grow <= 0) return;
        // The button keeps its outer edge (the one away from the box, on
        // either side in a mirrored window); the box gives up the room.
        if (box.Left() < button.Left()) {
            button.Move(button.Left() - grow, button.Top(), width, button.Height());
        } else {
            button.Width(width);
            box.Left(box.Left() + grow);
        }
        box.Width(box.Width() - grow);
    };
    ignoringErrors([&] { fit(Cmdbrowse.get(), TxtProject.get()); });
    ignoringErrors([&] { fit(CmdBrowseFolder.get(), txtDataDir.get()); });
}

void frmWizard::FitParameterLabels() {
    const Declar& d = declar();
    std::int32_t caption = 0;
    for (std::int32_t number : {100021, 100022, 100023, 100010, 190003})
        ignoringErrors([&] { caption = std::max(caption, TextWidth(text(TextNo(number)))); });
    std::int32_t unit = 0;
    for (const std::string& name : {std::string("theta [°]"), "r " + d.LengthUnit, "rmin " + d.LengthUnit,
                                    "a/b " + d.LengthUnit, "a/bmin " + d.LengthUnit})
        unit = std::max(unit, TextWidth(name));
    ignoringErrors([&] {
        const std::int32_t spare = LblInputUnit(0).Width() - unit - kLabelSlack;
        const std::int32_t grow = std::min(caption + kLabelSlack - LblInputData(0).Width(), spare);
        if (grow <= 0) return;
        for (std::int16_t i = 0; i < 3; ++i) {
            forms::Control& label = LblInputData(i);
            forms::Control& box = TxtInputData(i);
            forms::Control& unitLabel = LblInputUnit(i);
            // The unit keeps its outer edge, on either side in a mirrored
            // window.
            if (box.Left() < label.Left()) {
                label.Move(label.Left() - grow, label.Top(), label.Width() + grow, label.Height());
                box.Left(box.Left() - grow);
            } else {
                label.Width(label.Width() + grow);
                box.Left(box.Left() + grow);
                unitLabel.Left(unitLabel.Left() + grow);
            }
            unitLabel.Width(unitLabel.Width() - grow);
        }
    });
}

void frmWizard::Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) {
    // The close box asks what Cancel asks; while an operation runs (the
    // window is disabled under its wait window) it does not close.
    if (UnloadMode != forms::vbFormControlMenu) return;
    if (!Enabled()) {
        Cancel = 1;
        return;
    }
    std::int16_t cancel = 0;
    Cancel = SharedServices().ExitMessage(cancel, UnloadMode) ? 0 : 1;
}

void frmWizard::Cmdbrowse_Click() {
    Declar& d = declar();
    try {
        std::string path = d.ProjectPath;
        std::string folder = d.DataDir;
        std::string name = d.ProjectName;
        if (openDialog_ && !openDialog_(hWnd(), path, d.DataDir, folder, name)) {
            d.ProjectPath = path;
            d.DataDir = folder;
            d.ProjectName = name;
            TxtProject->Text(d.ProjectPath);
            ProposeOutputProject();
            cmdNav(3).Enabled(true);
        }
    } catch (const forms::MsgBoxError&) {
        throw;
    } catch (const std::exception&) {
        HandleError();
    }
}

void frmWizard::CmdBrowseFolder_Click() {
    txtDataDir->Text(SharedServices().SelectedDirctory(hWnd(), txtDataDir->Text()));
    if (!endsWithSeparator(txtDataDir->Text())) txtDataDir->Text(txtDataDir->Text() + "/");
}

void frmWizard::TxtInputData_KeyPress(std::int16_t Index, std::int16_t& KeyAscii) {
    if (KeyAscii != forms::vbKeyReturn) return;
    KeyAscii = 0;
    // Enter on the last row acts as Next: the next step shows with the
    // focus on its first box.
    bool last = true;
    ignoringErrors([&] { last = Index + 1 > 2 || !TxtInputData(static_cast<std::int16_t>(Index + 1)).Visible(); });
    if (last) {
        if (cmdNav(3).Enabled()) cmdNav_Click(3);
        return;
    }
    ignoringErrors([&] { TxtInputData(static_cast<std::int16_t>(Index + 1)).SetFocus(); });
}

void frmWizard::Form_KeyDown(std::int16_t KeyCode, std::int16_t /*Shift*/) {
    if (KeyCode == forms::vbKeyF1) cmdNav_Click(0);
}

std::int16_t frmWizard::TakeInputProject(std::string path) {  // a copy: path may be ProjectPath itself
    Declar& d = declar();
    std::int16_t failed = 0;
    ProjectReader().CheckProjectFile(path, failed);
    if (failed != 0) return failed;
    RunControl().SplitProjectPath(path, d.ProjectPath, d.DataDir, d.ProjectName, "", failed);
    return failed == 0 ? 0 : 53;
}

void frmWizard::RefuseInputPath(const std::string& message) {
    const quillon::ClsLanguageText& texts = LanguageTexts();
    forms::screen().MousePointer(forms::vbDefault);
    forms::MsgBox(message, forms::vbInformation | texts.MessageBoxFlags(), forms::app().Title);
    if (CurrentStep_ != 0) ShowStep(0, 0);
    ignoringErrors([&] { TxtProject->SetFocus(); });
}

bool frmWizard::InputPathUsable(const std::string& path) {
    std::int32_t message = 0;
    std::error_code ec;
    const fs::path native = rt::toNativePath(path);
    if (rt::trim(path).empty()) {
        message = TextNo(190064);
    } else if (fs::is_directory(native, ec)) {
        message = TextNo(190065);
    } else if (!HasProjectExtension(path) && fs::is_regular_file(native, ec)) {
        message = TextNo(190066);
    }
    if (message == 0) return true;
    RefuseInputPath(text(message, {rt::Variant("|1"), rt::Variant(path)}));
    return false;
}

bool frmWizard::TakeInputProjectOrReport(const std::string& path) {
    if (!InputPathUsable(path)) return false;
    const std::int16_t failed = TakeInputProject(path);
    if (failed == 0) {
        // A project without its net has nothing to refine.
        const Declar& d = declar();
        const std::string net = d.DataDir + d.ProjectName + ".PL6";
        if (!rt::findFileCaseInsensitive(net).empty()) {
            // The run writes the beam end forces beside a project with
            // beams: a folder it may not write to is told before the run.
            const bool beams = !rt::findFileCaseInsensitive(d.DataDir + d.ProjectName + ".GL1").empty();
            if (!beams || isWritableFolder(d.DataDir)) return true;
            RefuseInputPath(text(TextNo(190302), {rt::Variant("|1"), rt::Variant(d.DataDir)}));
            return false;
        }
        RefuseInputPath(text(TextNo(190067), {rt::Variant("|1"), rt::Variant(d.ProjectName), rt::Variant("|2"),
                                              rt::Variant(net)}));
        return false;
    }
    {
        // The library's file message: a missing file, or one that cannot
        // be read as a project, named with its path.
        halvex::ClsValmor& services = SharedServices();
        services.Prod(path);
        services.GetTextInf(path);
        try {
            raiseReadError(failed, path);
        } catch (const rt::RuntimeError&) {
            HandleError();
        }
    }
    if (CurrentStep_ != 0) ShowStep(0, 0);
    ignoringErrors([&] { TxtProject->SetFocus(); });
    return false;
}

void frmWizard::ProposeOutputProject() {
    const Declar& d = declar();
    ProposeOutput(d.DataDir, d.ProjectName);
}

void frmWizard::FollowInputPath() {
    std::string full, folder, name;
    std::int16_t failed = 0;
    RunControl().SplitProjectPath(TxtProject->Text(), full, folder, name, "", failed);
    if (failed == 0) ProposeOutput(folder, name);
}

void frmWizard::ProposeOutput(const std::string& folder, const std::string& inputName) {
    if (outputEdited_) return;
    Declar& d = declar();
    d.OutputDir = folder;
    d.OutputName = inputName + "_Adaptive";
    const FillingFields filling(fillingFields_);
    TxtSaveProjectAs->Text(d.OutputName + ".PO1");
    txtDataDir->Text(d.OutputDir);
}

void frmWizard::ValidateStep(bool& failed) {
    Declar& d = declar();
    failed = true;
    switch (CurrentStep_) {
        case 0:
            // The path is taken without blanks around it, as the output name.
            if (TakeInputProjectOrReport(rt::trim(TxtProject->Text()))) {
                d.RecalculateBoundaryFlag = ChkRecalculateMeshBoundary->Value() == forms::vbChecked;
                failed = false;
            }
            break;
        case 1:
            // The options are on this step: a Finish pressed here runs with
            // them as they are ticked.
            if (d.MeshType == 5) {
                d.SmoothMeshFlag = chkSmoothMesh->Value() == forms::vbChecked;
                d.BoundaryFrontPointsFlag = chkBoundaryFrontPoint->Value() == forms::vbChecked;
            }
            failed = false;
            break;
        case 2:
            ValidateParameters(failed);
            break;
        case 3:
            failed = false;
            break;
        default:
            break;
    }
}

bool frmWizard::ReportEmptyParameter(std::int16_t row) {
    if (!rt::trim(TxtInputData(row).Text()).empty()) return false;
    const quillon::ClsLanguageText& texts = LanguageTexts();
    const std::string name = LblInputData(row).Caption();
    forms::screen().MousePointer(forms::vbDefault);
    forms::MsgBox(texts.GetText(TextNo(190063), {rt::Variant("|1"), rt::Variant(name)}),
                  forms::vbInformation | texts.MessageBoxFlags(), name);
    ignoringErrors([&] { TxtInputData(row).SetFocus(); });
    return true;
}

void frmWizard::ValidateParameters(bool& failed) {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    failed = true;
    if (d.MeshType == 5) {
        if (ReportEmptyParameter(0) ||
            services.InputType(TxtInputData(0), halvex::InputSingleGreaterZeroButNotMax, kLargestMinAngle, 0,
                               LblInputData(0)))
            return;
        d.MinAngle = services.CSngPrivate(rt::Variant(TxtInputData(0).Text()));
        d.SmoothMeshFlag = chkSmoothMesh->Value() == forms::vbChecked;
        d.BoundaryFrontPointsFlag = chkBoundaryFrontPoint->Value() == forms::vbChecked;
    }
    // The sizes are limited to what the generation can take for this
    // slab; the message shows the range.
    const double largest = roundedUp(largestElementSize() * d.LengthFactor);
    if (ReportEmptyParameter(1) ||
        services.InputType(TxtInputData(1), halvex::InputSingleGreaterZeroButNotMax, largest, 0, LblInputData(1)))
        return;
    const float largestSize = services.CSngPrivate(rt::Variant(TxtInputData(1).Text()));
    d.MaxElementSize = static_cast<float>(largestSize / d.LengthFactor);
    if (ReportEmptyParameter(2)) return;
    // The smallest size above the largest would invert the size field
    // (the largest elements where the forces peak): told with both values;
    // the range of the check below ends at r as well.
    const float smallestSize = services.CSngPrivate(rt::Variant(TxtInputData(2).Text()));
    if (smallestSize > largestSize) {
        const quillon::ClsLanguageText& texts = LanguageTexts();
        const std::string name = LblInputData(2).Caption();
        forms::screen().MousePointer(forms::vbDefault);
        forms::MsgBox(texts.GetText(TextNo(190062),
                                    {rt::Variant("|1"), rt::Variant(name), rt::Variant("|2"),
                                     rt::Variant(rt::trim(TxtInputData(2).Text())), rt::Variant("|3"),
                                     rt::Variant(LblInputData(1).Caption()), rt::Variant("|4"),
                                     rt::Variant(rt::trim(TxtInputData(1).Text()))}),
                      forms::vbInformation | texts.MessageBoxFlags(), name);
        ignoringErrors([&] { TxtInputData(2).SetFocus(); });
        return;
    }
    // The limit is r as typed (the Single it becomes may lie just below).
    // (It passed the check above: a plain number with the system's separator.)
    double typedLargest = largestSize;
    std::string typed = rt::trim(TxtInputData(1).Text());
    std::replace(typed.begin(), typed.end(), ',', '.');
    std::from_chars(typed.data(), typed.data() + typed.size(), typedLargest);
    if (services.InputType(TxtInputData(2), halvex::InputSingleGreaterZeroButNotMax,
                           std::min(largest, typedLargest), 0, LblInputData(2)))
        return;
    d.MinElementSize = static_cast<float>(smallestSize / d.LengthFactor);
    parametersTyped_ = false;
    failed = false;
}

void frmWizard::ValidateOutputProject(bool& failed) {
    Declar& d = declar();
    const quillon::ClsLanguageText& texts = LanguageTexts();
    failed = true;

    // The project extension is recognised in any case, as everywhere.
    std::string input = rt::trim(TxtProject->Text());
    if (!InputPathUsable(input)) return;
    if (!HasProjectExtension(input)) input += ".PO1";
    if (!TakeInputProjectOrReport(input)) return;

    d.OutputName = rt::trim(WithoutProjectExtension(rt::trim(TxtSaveProjectAs->Text())));
    if (!endsWithSeparator(txtDataDir->Text())) {
        const FillingFields filling(fillingFields_);
        txtDataDir->Text(txtDataDir->Text() + "/");
    }
    const std::string folder = txtDataDir->Text();

    // Any existing folder the program may write to takes the new project.
    const bool exists = isFolder(folder);
    if (!exists || !isWritableFolder(folder)) {
        const std::int32_t message = exists ? TextNo(190032) : TextNo(190031);
        forms::MsgBox(texts.GetText(message, {rt::Variant("|1"), rt::Variant(folder)}),
                      forms::vbInformation | texts.MessageBoxFlags(), forms::app().Title);
        ShowStep(3, 0);
        ignoringErrors([&] { txtDataDir->SetFocus(); });
        return;
    }
    // A name that is no file name, and the input project itself, are
    // refused: the input project is never overwritten.
    const std::string nameFault = OutputNameFault(d.OutputName);
    if (!nameFault.empty() || (sameFolder(folder, d.DataDir) && sameNameIgnoringCase(d.OutputName, d.ProjectName))) {
        const std::string message = !nameFault.empty()
                                        ? nameFault
                                        : texts.GetText(TextNo(190009), {rt::Variant("|1"), rt::Variant(d.OutputName)});
        forms::MsgBox(message, forms::vbInformation | texts.MessageBoxFlags(), forms::app().Title);
        ShowStep(3, 0);
        ignoringErrors([&] { TxtSaveProjectAs->SetFocus(); });
        return;
    }
    d.OutputDir = folder;
    failed = false;
}

}  // namespace orvelo
