// The user's date formats through QLocale::system(): the long date format,
// and dates read in the long or short format (the headless forms, ISO and
// numeric dates as the fallback).
#pragma once

#include "platform/forms/locale.h"

namespace forms::qt {

class QtLocale : public Locale {
public:
    std::string longDate(const Date& date) const override;
    std::optional<Date> parseDate(std::string_view text) const override;
};

}  // namespace forms::qt
