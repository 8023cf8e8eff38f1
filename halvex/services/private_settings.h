// Per-user settings of the family's programs: text values by application,
// section and key in the settings store of the forms layer, with Booleans
// kept as "-1" and "0".
#pragma once

#include <string>

#include "platform/runtime/variant.h"

namespace halvex {

// Stores value under (app, section, key): a Boolean as "-1" or "0", any
// other value as its text form. Errors (a value without a text form, a name
// the store refuses) pass to the caller.
void SavePrivateSettingValue(const std::string& app, const std::string& section,
                             const std::string& key, const rt::Variant& value);

// The value stored under (app, section, key); never fails. With a Boolean
// default the stored text is read as a truth value ("-1", "0", "True",
// "False", any number) and a Boolean comes back; with any other default the
// stored text comes back as a String, or the text form of the default when
// nothing is stored. When the store cannot be read, the stored text is no
// truth value or the default has no text form (the missing marker), the
// default itself comes back unchanged.
rt::Variant GetPrivateSettingValue(const std::string& app, const std::string& section,
                                   const std::string& key, const rt::Variant& defaultValue);

// The interface language the language dialog stored (an English language
// name such as "Arabic"), "" when none is stored or the store cannot be
// read. The library's text object learns its language from it.
std::string StoredInterfaceLanguage();

}  // namespace halvex
