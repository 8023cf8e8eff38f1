#include "platform/forms/qt/locale_qt.h"

#include <QDate>
#include <QLocale>

#include "platform/forms/qt/convert.h"

namespace forms::qt {

std::string QtLocale::longDate(const Date& date) const {
    if (!isValidDate(date)) return std::string();
    return toModelText(QLocale::system().toString(QDate(date.Year, date.Month, date.Day), QLocale::LongFormat));
}

std::optional<Date> QtLocale::parseDate(std::string_view text) const {
    const QString typed = toQString(text).trimmed();
    for (QLocale::FormatType format : {QLocale::LongFormat, QLocale::ShortFormat}) {
        const QDate date = QLocale::system().toDate(typed, format);
        if (date.isValid()) {
            const Date d{static_cast<std::int16_t>(date.year()), static_cast<std::int16_t>(date.month()),
                         static_cast<std::int16_t>(date.day())};
            if (isValidDate(d)) return d;
        }
    }
    return Locale::parseDate(text);
}

}  // namespace forms::qt
