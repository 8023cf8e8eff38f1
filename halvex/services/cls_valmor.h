// ClsValmor: the application-services facade of the library. A program of
// the family creates one instance and calls through it for texts, messages,
// file kinds, settings and the small standard dialogs.
//
// An instance holds no state of its own: every member works on the one
// library-wide store (library_state.h), so any number of instances see the
// same values. A member whose body fails throws rt::RuntimeError, the
// member's failure result; members whose procedures handle their own errors
// return normally.
//
// Every member of the library, of this class and of the classes hosts
// create (dialogs, settings, charts), is called on the UI thread (the
// program's main thread, the thread of its QApplication); a call from
// another thread is refused at once with forms::WrongThreadError
// (platform/forms/ui_thread.h).
#pragma once

#include <cstdint>
#include <string>

#include "halvex/interface/enums.h"
#include "platform/runtime/variant.h"

namespace forms {
class Control;
class Form;
}  // namespace forms

namespace halvex {

class ClsValmor {
public:
    // Verdict of the last library dialog (DialogConfirmed).
    bool chooseControl() const;
    void chooseControl(bool value);

    // Body and title of the library's help popup.
    std::string HelpText() const;
    void HelpText(const std::string& value);
    std::string HelpTitle() const;
    void HelpTitle(const std::string& value);

    // StrWithMacro with the pairs of varReplacements put in.
    std::string ResolveString(const std::string& StrWithMacro, rt::VArray& varReplacements);

    // Kind of the current file (FileTypeText): a copy, number or text as
    // stored.
    rt::Variant TextInf() const;
    void TextInf(const rt::Variant& value);

    // Classifies pathname into FileTypeText.
    void GetTextInf(const std::string& pathname);

    // Path of the file being read or written (CurrentFilePath).
    std::string Prod() const;
    void Prod(const std::string& value);

    // Full path of the help folder in use (HelpFilePath).
    std::string AppHelpFile() const;
    void AppHelpFile(const std::string& value);

    // Kind of the calling program (ProgramKind); stored unchecked.
    std::int32_t MirvaProg() const;
    void MirvaProg(std::int32_t value);

    // Text StrID divided into NDivided balanced lines, in
    // DividedString(1..NDivided).
    void DivideString(std::int16_t NDivided, const rt::Variant& StrID, rt::VArray& DividedString);

    // ---- error and file messages (cls_valmor_messages.cpp) ----

    // The common error report of the error being handled (call it inside a
    // catch block): the message by error number, then file 1 is closed.
    void ValmorErrorHandling();
    // True when no file exists at pathname; shows the missing-file message
    // unless NOConfirm. An empty pathname raises error 5 naming it.
    rt::Variant FileNotExist(const std::string& pathname, const bool& NOConfirm = false);

    // ---- form language, right-to-left layout, centring (cls_valmor_forms.cpp) ----

    // Centres the form on the screen unless it is maximised.
    void CenterForm(forms::Form& ObjFrm);
    // Prepares the form for the interface language: fonts, and for a
    // right-to-left language the mirrored layout.
    void SetRightToLeft(forms::Form& frm);
    // Disables the "WaitTaint" window below ParentHwnd, if there is one.
    void HideMicroSoftLabel(const std::int32_t& ParentHwnd);

    // ---- input checks, conversions and array helpers (cls_valmor_input.cpp) ----

    // The value rounded half to even to a Long; 0 when it is not numeric.
    std::int32_t CIntPrivate(const rt::Variant& CheckValue);
    // The value as a Single; 0 when it is not numeric.
    float CSngPrivate(const rt::Variant& CheckValue);
    // Resizes the two-dimensional array held to (0..i, 0..j), keeping the
    // elements that stay inside (row 0 only when i is unchanged).
    void ReDimPreserveTwoDimArray(rt::Variant& arrayname, const std::int16_t& i, const std::int16_t& j);
    // Upper bound of a dimension; 0 for anything that has none.
    std::int32_t UBoundPrivate(const rt::Variant& arrayname, const std::int16_t& intDimension = 1);
    std::int32_t UBoundPrivate(const rt::VArray& arrayname, const std::int16_t& intDimension = 1);
    // Checks the typed number in InputObject for the InputTypeMode; True
    // when it was rejected (message shown, entry selected again). TextInf1
    // names the field: a text number, a text, or a label.
    bool InputType(forms::Control& InputObject, std::int16_t InputDataType, double MaxInput = 0,
                   double MinInput = 0, const rt::Variant& TextInf1 = rt::Variant::missing());
    bool InputType(forms::Control& InputObject, std::int16_t InputDataType, double MaxInput,
                   double MinInput, const forms::Control& TextInf1);

    // ---- help, user settings, folder browser, more/less panel (cls_valmor_help.cpp) ----

    // Lets the user pick a folder; DataDir comes back when the user cancels
    // or picks an item without a file-system path.
    std::string SelectedDirctory(std::int32_t MeHwnd, const std::string& DataDir);
    // The help popup: HelpTitle1, then HelpText.
    void HelpMsg(const std::string& HelpTitle1);
    // Path of the help folder of StrHelpProgram in the stored help language;
    // also the new AppHelpFile. The default "mirva" is the help of the
    // library's own dialogs, shipped in the program folder.
    std::string GetHelpFileName(const std::string& StrHelpProgram = "mirva");
    // Per-user settings; Booleans stored as "-1" and "0". GetPrivateSetting
    // never fails and gives VarSetting when nothing usable is stored.
    void SavePrivateSetting(const std::string& AppName, const std::string& StrSection,
                            const std::string& StrKey, const rt::Variant& VarSetting);
    rt::Variant GetPrivateSetting(const std::string& AppName, const std::string& StrSection,
                                  const std::string& StrKey,
                                  const rt::Variant& VarSetting = rt::Variant::missing());
    // Shows a help topic of the program kind IntMirvaProg2 (0: MirvaProg).
    void ShowHelp(const std::int32_t& Prghwnd, const std::string& HelpTopicNo = "",
                  const std::int32_t& IntMirvaProg2 = 0);
    // Shows or hides the dialog's extra panel and fits the form to it.
    void ChangeMoreState(forms::Form& ObjFrm, forms::Control& ObjPct, bool MoreState,
                         std::int16_t MaxHeight);
    // Forgets the help window, if one is known.
    void CloseHelpProg();

    // ---- units, data directory and control file (cls_valmor_units.cpp) ----

    // The program directory (with a trailing "/"), the data directory and
    // the compress flag from the control file STEU; defaults when it is
    // missing or damaged. A CompressFlag of -1 is not read and stays.
    void DataDirectory(std::string& ProgrDir, std::string& DataDir);
    void DataDirectory(std::string& ProgrDir, std::string& DataDir, CompressFlagTypes& CompressFlag);
    // The unit symbols (as texts of the interface language where known)
    // and factors of the Units file; defaults when it is missing or
    // damaged.
    void ReadUnits(std::string& Unit_Length1Symb, double& Unit_Length1Factor, std::string& Unit_Length2Symb,
                   double& Unit_Length2Factor, std::string& Unit_Force1Symb, double& Unit_Force1Factor,
                   std::string& Unit_Force2Symb, double& Unit_Force2Factor, std::string& Unit_TemperatureSymb);

    // ---- the grid-input dialog (cls_valmor_grid.cpp, grid_input.h) ----

    // Caption of the dialog (also its help title), the number of data
    // columns C and of data rows R; all kept between calls.
    std::string HeadGrid() const;
    void HeadGrid(const std::string& value);
    std::int16_t NoColGrid() const;
    void NoColGrid(std::int16_t value);
    std::int16_t NoRowGrid() const;
    void NoRowGrid(std::int16_t value);
    // The dialog: False when the user confirmed (HGrid then holds the table
    // as texts), True when cancelled or closed or after an error. The
    // caller's arrays are never erased.
    bool ShowGridInput(rt::VArray& TitleGrid, rt::VArray& HGrid, rt::VArray& InputTypeGrid,
                       rt::VArray& MaxInputGrid, rt::VArray& MinInputGrid, const std::string& HelpTopicNo = "");
    void SetGridHeader(rt::VArray& TitleGrid, rt::VArray& HGrid, forms::Form& Objform, forms::Control& ObjGrid);
    void ReadGridValues();
    void ShowTxtInputBox(forms::Control& txtInput, forms::Control& GrdInput, std::int16_t KeyAscii = 0);
    void InputGridCopy(forms::Control& GrdInput, forms::Control& cmdDelete);
    void InputGridDelete(forms::Control& GrdInput, forms::Control& cmdDelete);
    void InputGridInsert(forms::Control& GrdInput, forms::Control& cmdDelete);
    void InputGridNew(forms::Control& GrdInput, forms::Control& cmdDelete);

    // ---- wait and status display, exit confirmation, method titles (cls_valmor_wait.cpp) ----

    // Fills the caller's wait form and/or status bar with the wait texts
    // of the current file (ITxtCont 1 kind, 2 reading, 3 saving).
    void StartWait(forms::Form* FrmShow, std::int16_t ITxtCont, forms::Control* ObjStbar = nullptr);
    // The reading (ITxtCont 1, 2) or saving (3, 4) text of the current file
    // in the status bar; other values: its kind alone.
    void StatusWait(forms::Control& ObjStbar, std::int16_t ITxtCont = 0);
    // Sets the status bar's first panel (empties it by default).
    void StatusClear(forms::Control& ObjStbar, const std::string& TextWait = "");
    // Asks whether to close the program; True for OK. Cancel becomes True
    // unless UnloadMode is 1 (then False without asking).
    bool ExitMessage();
    bool ExitMessage(std::int16_t& Cancel, const std::int16_t& UnloadMode = 0);
    // The two title lines of a calculation method; the result is Empty.
    rt::Variant GetMethodTitle(CalculationMethod Shws, std::string& TitelUe1, std::string& TitelUe2,
                               std::int16_t Nbp = 1);

    // ---- standard dialogs (cls_valmor_dialogs.cpp) ----
    // The dialog members return True when the user did not confirm (Cancel,
    // the close box, or an error, which is reported to the user);
    // chooseControl() is True exactly when they return False.

    // Lets the user tick entries of OptText(1..n). OptChoosen names the
    // entries ticked in advance (each the first equal entry); after OK it is
    // (0 To k) with element 0 "" and the ticked entries in list order.
    // HelpTopicNo is not used: Help shows the popup with HelpTitle.
    bool ShowGroupList(const std::string& FormCaption, const std::string& LblCaption, rt::VArray& OptText,
                       rt::VArray& OptChoosen, const std::string& HelpTopicNo = "");
    // As ShowGroupList for text numbers: the entries show their texts, a
    // Long in OptChoosen names an entry by its text, and after OK
    // OptChoosen holds copies of the caller's items.
    bool ShowGroupList1(const std::string& FormCaption, const std::string& LblCaption, rt::VArray& VarOptText,
                        rt::VArray& OptChoosen, const std::string& HelpTopicNo = "");
    // Lets the user pick one of OptText(1..n). A text starting "//Disabled//"
    // is shown greyed without the marker and never chosen. OptChoosen names
    // the option on in advance (else the first enabled one) and receives the
    // choice. One enabled option alone is chosen without a dialog; no
    // enabled option gives True without one. OptText stays as it was.
    bool ShowMenuView(const std::string& FormCaption, rt::VArray& OptText, std::string& OptChoosen,
                      const std::string& LblCaption = "", const std::string& HelpTopicNo = "");
    // As ShowMenuView for text numbers: OptChoosen receives a copy of the
    // chosen item.
    bool ShowMenuView1(const std::string& FormCaption, rt::VArray& OptText, rt::Variant& OptChoosen,
                       const std::string& LblCaption = "", const std::string& HelpTopicNo = "");
    // Fills a combo box with the numbers IBaseData..NData and selects IData
    // when it lies in that run. IBaseData -1: an empty entry, then 1..NData,
    // nothing selected. Errors of the box (438 for a control without a
    // list) pass to the caller, except those of the selection.
    void AddCmbData(forms::Control& CmbData, std::int16_t NData, std::int16_t IData, std::int16_t IBaseData = 1,
                    bool BlnCmbVisible = true);
    // The two lines of the company header file Firma of the program folder;
    // a missing file leaves both as they are, a damaged one is reported.
    void ReadFirma(std::string& Firma1, std::string& Firma2);
    // Reads the header, lets the user edit it and writes it back on Save;
    // False when saved.
    bool ShowFirma(std::string& Firma1, std::string& Firma2);
    // The language dialog: the interface and help languages, stored as the
    // user's settings; chooseControl() tells whether they were saved.
    void ShowLanguageSetting();
    // The about box of the calling program kind; Shws and Shys are the
    // current project's calculation method and slab system. The result is
    // Empty. HelpText is left holding the disclaimer.
    rt::Variant ShowAbout(CalculationMethod Shws = CalculationMethod{}, CalculationMethod Shys = CalculationMethod{},
                          bool PrbIsIsolatedSlab = false);
};

}  // namespace halvex
