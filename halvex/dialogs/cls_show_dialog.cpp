#include "halvex/dialogs/cls_show_dialog.h"

#include <functional>
#include <vector>

#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/dialog_text.h"
#include "halvex/interface/dialog_enums.h"
#include "halvex/interface/enums.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "outside/quillon/language_text.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/strings.h"

namespace halvex {

using quillon::TextNo;

namespace {

const std::string kNul(1, '\0');

// The file kind of an open-dialog pattern, compared exactly.
ValmorFileType kindOfPattern(const std::string& pattern)
{
    if (pattern == "*.RTF" || pattern == "*.TXT") return TextEditorFile;
    if (pattern == "*.PC1" || pattern == "*.PH2" || pattern == "*.H10" || pattern == "*.H11" || pattern == "*.H12")
        return LoadFiles;
    if (pattern == "*.BAU" || pattern == "*.BOH") return BOHRFile;
    return MirvaProject;
}

// The heading text of a list of patterns, by the kind of its last one.
std::int32_t headingText(ValmorFileType kind)
{
    switch (kind) {
        case BOHRFile: return TextNo(140153);
        case LoadFiles: return TextNo(140152);
        default: return TextNo(140154);
    }
}

// The elements of a pattern list in index order; none when it holds none.
std::vector<std::string> listElements(const rt::VArray& list)
{
    std::vector<std::string> elements;
    if (!list.isAllocated()) return elements;
    for (std::int32_t i = list.lbound(); i <= list.ubound(); ++i) elements.push_back(list.at(i).toString());
    return elements;
}

// The display name of the file kind SetFileTypeText just stored.
std::string fileKindName()
{
    return textLib().GetText(libraryState().FileTypeText);
}

constexpr std::int32_t kOpenFlags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                                    OFN_EXPLORER | OFN_NODEREFERENCELINKS | OFN_LONGNAMES;
constexpr std::int32_t kSaveFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_LONGNAMES;
static_assert(kOpenFlags == 3676196 && kSaveFlags == 2621478);

}  // namespace

ClsShowDialog::ClsShowDialog() = default;

ClsShowDialog::~ClsShowDialog() = default;

cCommonDialog& ClsShowDialog::newHookDialog()
{
    m_cHookDlg = std::make_unique<cCommonDialog>();
    m_cHookDlg->Events.InitDialog = [this](std::int32_t hDlg) { m_cHookDlg_InitDialog(hDlg); };
    return *m_cHookDlg;
}

void ClsShowDialog::m_cHookDlg_InitDialog(std::int32_t hDlg)
{
    if (m_cHookDlg) m_cHookDlg->CentreDialog(hDlg);
}

void ClsShowDialog::reportTrapped(const std::string& member)
{
    ReportMemberErrorQuietly(member);
}

bool ClsShowDialog::runTrapped(const std::string& member, const std::function<bool()>& confirmed)
{
    bool result = true;
    try {
        result = !confirmed();
    } catch (const rt::RuntimeError&) {
        reportTrapped(member);
        result = true;
    }
    m_cHookDlg.reset();
    return result;
}

bool ClsShowDialog::runFileDialog(const std::string& member, std::string& CompleteFileName, std::string& UserDir,
                                  std::string& UserProda, const std::function<bool()>& show)
{
    return runTrapped(member, [&] {
        if (show()) {
            CompleteFileName = m_cHookDlg->Filename();
            m_cHookDlg.reset();
            SeparateFileAndDir(CompleteFileName, UserDir, UserProda);
            return true;
        }
        return false;
    });
}

bool ClsShowDialog::ShowOpenDialog(std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                                   std::string& UserDir, std::string& UserProda, rt::VArray& FileExtentions)
{
    return runFileDialog(HALVEX_MEMBER(ClsShowDialog, ShowOpenDialog), CompleteFileName, UserDir, UserProda, [&] {
        // DataDir may be the caller's UserDir as well: it is read first.
        const std::string initialDir = DataDir;
        const std::vector<std::string> patterns = listElements(FileExtentions);

        // The filter: one entry for each pattern, named by its file kind.
        std::int16_t patternCount = 0;
        ValmorFileType lastKind = MirvaProject;
        std::string joined;
        std::string entries;
        for (const std::string& pattern : patterns) {
            patternCount = rt::toIntegerChecked(static_cast<long long>(patternCount) + 1);
            lastKind = kindOfPattern(pattern);
            SetFileTypeText(pattern);
            joined = joined.empty() ? pattern : joined + ";" + pattern;
            entries += fileKindName() + " (" + pattern + ")" + kNul + pattern + kNul;
        }
        std::string filter = entries;
        std::string defaultExt;
        if (patternCount >= 2) {
            const std::string heading =
                textLib().GetText(rt::Variant(headingText(lastKind)), {rt::Variant("|1"), rt::Variant(joined)});
            filter = heading + kNul + joined + kNul + entries;
            defaultExt = dialogtext::rightCharacters(FileExtentions.at(0).toString(), 3);
        }

        cCommonDialog& dialog = newHookDialog();
        dialog.Filter(filter);
        if (patternCount >= 2) dialog.DefaultExt(defaultExt);
        dialog.InitDir(initialDir);
        dialog.CancelError(true);
        dialog.HookDialog(true);
        dialog.Flags(kOpenFlags);
        dialog.hwnd(MeHwnd);
        dialog.FilterIndex(1);
        dialog.ShowOpen();

        // Only a file with the extension of one of the patterns is taken,
        // whatever the case of its letters.
        const std::string titleEnd = rt::lcase(dialogtext::rightCharacters(dialog.FileTitle(), 4));
        bool extensionMatches = false;
        for (const std::string& pattern : patterns) {
            if (rt::lcase(dialogtext::rightCharacters(pattern, 4)) == titleEnd) extensionMatches = true;
        }
        return libraryState().DialogConfirmed && extensionMatches;
    });
}

bool ClsShowDialog::ShowSaveFile(std::int32_t MeHwnd, std::string& CompleteFileName, const std::string& DataDir,
                                 std::string& UserDir, std::string& UserProda, rt::VArray& FileExtentions)
{
    return runFileDialog(HALVEX_MEMBER(ClsShowDialog, ShowSaveFile), CompleteFileName, UserDir, UserProda, [&] {
        const std::string initialDir = DataDir;
        std::string entries;
        for (const std::string& extension : listElements(FileExtentions)) {
            SetFileTypeText("*." + extension);
            entries += fileKindName() + " (*." + extension + ") " + kNul + "*." + extension + kNul;
        }

        cCommonDialog& dialog = newHookDialog();
        dialog.Filter(entries);
        dialog.FilterIndex(1);
        dialog.Filename(UserProda);
        dialog.DefaultExt(FileExtentions.at(0).toString());
        dialog.FileTitle(dialog.Filename());
        dialog.InitDir(initialDir);
        dialog.HookDialog(true);
        dialog.Flags(kSaveFlags);
        dialog.hwnd(MeHwnd);
        dialog.ShowSave();
        return libraryState().DialogConfirmed;
    });
}

void ClsShowDialog::SeparateFileAndDir(const std::string& CompleteFileName, std::string& UserDir,
                                       std::string& UserProda)
{
    const std::string path = CompleteFileName;  // the outputs may be the same string
    IntegerArgument(dialogtext::characterCount(path), HALVEX_MEMBER(ClsShowDialog, SeparateFileAndDir),
                    "CompleteFileName");
    // Either separator ends the folder; a separator is one byte, never
    // part of another character.
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !dialogtext::isPathSeparator(path[nameStart - 1])) --nameStart;
    const std::string name = path.substr(nameStart);
    const std::int64_t length = dialogtext::characterCount(name);
    UserDir = path.substr(0, nameStart);
    // The dot and a three-letter extension go; a shorter name has none.
    UserProda = length >= 4 ? dialogtext::leftCharacters(name, length - 4) : name;
}

}  // namespace halvex
