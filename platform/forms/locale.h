// The user's date formats: a date picker writes its date in the long date
// format, and a date typed as text is read back. The program installs the
// Qt locale (forms/qt); headless, an English locale serves.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/types.h"

namespace forms {

class Locale {
public:
    virtual ~Locale() = default;
    // The long date format: "Wednesday, 9 December 2026" headless.
    virtual std::string longDate(const Date& date) const;
    // A date written in the long format, or as yyyy-mm-dd, d.m.yyyy or
    // m/d/yyyy; none for a text that is no existing date.
    virtual std::optional<Date> parseDate(std::string_view text) const;
};

Locale& locale();
// Installs a locale (nullptr: the headless one); returns the previous.
std::shared_ptr<Locale> setLocale(std::shared_ptr<Locale> service);

}  // namespace forms
