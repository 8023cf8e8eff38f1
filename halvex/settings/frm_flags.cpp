// frmflags: a check list of the values the host writes on its drawings.
#include <algorithm>
#include <memory>

#include "halvex/services/form_language.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/dialog_helpers.h"
#include "halvex/settings/settings_dialogs.h"
#include "halvex/settings/settings_files.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"

namespace halvex {

namespace {

using namespace settingsdialog;
using forms::Kind;
using quillon::TextNo;

const std::string kListGuard = "ChkSelectAll_Click";
const std::string kBoxGuard = "LstGroup_ItemCheck";

class frmflags : public forms::Form {
public:
    frmflags() : forms::Form("frmflags")
    {
        on("LstGroup", forms::Event::ItemCheck, [this] { LstGroup_ItemCheck(); });
        on("ChkSelectAll", forms::Event::Click, [this] { ChkSelectAll_Click(); });
        on("cmdOK", forms::Event::Click, [this] { cmdOK_Click(); });
        on("CmdCancel", forms::Event::Click, [this] {
            libraryState().DialogConfirmed = false;
            Unload();
        });
        on("cmdHelp", forms::Event::Click, [this] { cmdHelp_Click(); });
        on("cmdSave", forms::Event::Click, [this] { cmdSave_Click(); });
    }

    // Captions, the list with its check states and the layout; then shown.
    void run()
    {
        Load();
        buttonCaptions(*this);
        Caption(text(TextNo(15)));
        control("ChkSelectAll").Caption(text(TextNo(140098)));
        SettingsWorkingState& s = settingsState();
        forms::Control& list = control("LstGroup");
        std::int32_t w = 2900;
        list.Clear();
        const std::vector<bool> values = s.SettingDisplayFlags;
        for (std::size_t k = 1; k < s.SettingItemNames.size(); ++k) {
            w = std::max(w, TextWidth(s.SettingItemNames[k]));
            list.AddItem(s.SettingItemNames[k]);
            list.Selected(static_cast<std::int16_t>(k - 1), k < values.size() && values[k]);
        }
        if (list.ListCount() > 0) list.ListIndex(0);
        // Setting a check raises no event when it does not change the entry,
        // so the box is matched to the finished list once here.
        LstGroup_ItemCheck();
        w += 100;
        const std::int32_t b = control("cmdOK").Width();
        const std::int32_t screenWidth = forms::screen().Width();
        if (b + w + 600 > screenWidth) w = static_cast<std::int32_t>(static_cast<double>(w) * screenWidth / (b + w + 600));
        list.Move(120, list.Top(), w, 2350);
        Width(b + w + 600);
        Height(list.Top() + list.Height() + 600);
        for (const char* name : {"cmdOK", "CmdCancel", "cmdHelp", "cmdSave", "ChkSelectAll"}) control(name).Left(w + 360);
        fitAndCentre(*this);
        SetFormLanguage(*this);
        Refresh();
        forms::screen().MousePointer(forms::vbDefault);
        Show(forms::vbModal);
    }

protected:
    void design() override
    {
        BorderStyle(3);
        forms::Control& list = add(Kind::ListBox, "LstGroup");
        list.Style(1);
        list.Move(120, 120, 2900, 2350);
        addButtons(*this, 3260, 120);
        forms::Control& all = add(Kind::CheckBox, "ChkSelectAll");
        all.Move(3260, 1920, 1815, 255);
    }

private:
    void copyChecks()
    {
        SettingsWorkingState& s = settingsState();
        forms::Control& list = control("LstGroup");
        for (std::size_t k = 1; k < s.SettingDisplayFlags.size() && k <= static_cast<std::size_t>(list.ListCount()); ++k)
            s.SettingDisplayFlags[k] = list.Selected(static_cast<std::int16_t>(k - 1));
    }
    void LstGroup_ItemCheck()
    {
        if (Tag() == kBoxGuard) return;
        Tag(kListGuard);
        forms::Control& list = control("LstGroup");
        const bool first = list.ListCount() > 0 && list.Selected(0);
        std::int32_t state = first ? forms::vbChecked : forms::vbUnchecked;
        for (std::int16_t i = 1; i < list.ListCount(); ++i) {
            if (list.Selected(i) != first) {
                state = forms::vbGrayed;
                break;
            }
        }
        control("ChkSelectAll").Value(state);
        Tag("");
    }
    void ChkSelectAll_Click()
    {
        if (Tag() == kListGuard) return;
        const std::int32_t state = control("ChkSelectAll").Value();
        if (state == forms::vbGrayed) return;
        const bool v = state == forms::vbChecked;
        Tag(kBoxGuard);
        forms::Control& list = control("LstGroup");
        for (std::int16_t i = 1; i < list.ListCount(); ++i) list.Selected(i, v);
        if (list.ListCount() > 0) list.Selected(0, v);
        Tag("");
    }
    void cmdOK_Click()
    {
        copyChecks();
        libraryState().DialogConfirmed = true;
        Unload();
    }
    void cmdSave_Click()
    {
        copyChecks();
        WriteDisplayFile();
    }
    void cmdHelp_Click()
    {
        const std::int32_t kind = libraryState().ProgramKind;
        showHelp(*this, kind == 1 ? "5_3_5_2" : (kind == 2 || kind == 9 || kind == 10) ? "7_2" : "");
    }
};

}  // namespace

void showDisplayDialog()
{
    static std::unique_ptr<frmflags> form = std::make_unique<frmflags>();
    form->run();
}

}  // namespace halvex
