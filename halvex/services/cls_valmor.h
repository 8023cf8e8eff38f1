// ClsValmor: the application-services facade of the library. A program of
// the family creates one instance and calls through it for texts, messages,
// file kinds, settings and the small standard dialogs.
//
// An instance holds no state of its own: every member works on the one
// library-wide store (library_state.h), so any number of instances see the
// same values. A member whose body fails throws rt::RuntimeError, the
// member's failure result; members whose procedures handle their own errors
// return normally.
#pragma once

#include <cstdint>
#include <string>

#include "halvex/interface/enums.h"
#include "platform/runtime/variant.h"

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

    // Full path of the help file in use (HelpFilePath).
    std::string AppHelpFile() const;
    void AppHelpFile(const std::string& value);

    // Kind of the calling program (ProgramKind); stored unchecked.
    std::int32_t MirvaProg() const;
    void MirvaProg(std::int32_t value);

    // Text StrID divided into NDivided balanced lines, in
    // DividedString(1..NDivided).
    void DivideString(std::int16_t NDivided, const rt::Variant& StrID, rt::VArray& DividedString);
};

}  // namespace halvex
