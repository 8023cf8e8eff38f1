#include "platform/forms/locale.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

namespace forms {

namespace {

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

std::shared_ptr<Locale>& installed()
{
    static std::shared_ptr<Locale> service = std::make_shared<Locale>();
    return service;
}

// The numbers and words of a text, in order.
void tokens(std::string_view text, std::vector<int>& numbers, std::vector<std::string>& words, std::string& separators)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            int value = 0;
            std::size_t digits = 0;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 6) {
                value = value * 10 + (text[i] - '0');
                ++i;
                ++digits;
            }
            numbers.push_back(value);
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            std::string word;
            while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) {
                word += static_cast<char>(text[i] | 0x20);
                ++i;
            }
            words.push_back(word);
        } else {
            if (c != ' ' && c != ',') separators += c;
            ++i;
        }
    }
}

std::optional<Date> checked(int year, int month, int day)
{
    if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99) return std::nullopt;
    const Date date{static_cast<std::int16_t>(year), static_cast<std::int16_t>(month), static_cast<std::int16_t>(day)};
    if (!isValidDate(date)) return std::nullopt;
    return date;
}

}  // namespace

std::string Locale::longDate(const Date& date) const
{
    if (!isValidDate(date)) return std::string();
    const std::chrono::year_month_day ymd{std::chrono::year{date.Year}, std::chrono::month{static_cast<unsigned>(date.Month)},
                                          std::chrono::day{static_cast<unsigned>(date.Day)}};
    const std::chrono::weekday weekday{std::chrono::sys_days{ymd}};
    return std::string(kWeekdays[weekday.c_encoding()]) + ", " + std::to_string(date.Day) + " " +
           kMonths[static_cast<std::size_t>(date.Month - 1)] + " " + std::to_string(date.Year);
}

std::optional<Date> Locale::parseDate(std::string_view text) const
{
    std::vector<int> numbers;
    std::vector<std::string> words;
    std::string separators;
    tokens(text, numbers, words, separators);
    // Long format: an optional weekday, the day, the month's name, the year.
    int month = 0;
    for (const std::string& word : words) {
        bool known = false;
        for (std::size_t m = 0; m < kMonths.size(); ++m) {
            std::string name = kMonths[m];
            for (char& c : name) c = static_cast<char>(c | 0x20);
            if (word == name) {
                month = static_cast<int>(m) + 1;
                known = true;
            }
        }
        for (const char* day : kWeekdays) {
            std::string name = day;
            for (char& c : name) c = static_cast<char>(c | 0x20);
            if (word == name) known = true;
        }
        if (!known) return std::nullopt;
    }
    if (month != 0) {
        if (numbers.size() != 2 || !separators.empty()) return std::nullopt;
        return checked(numbers[1], month, numbers[0]);
    }
    if (!words.empty() || numbers.size() != 3 || separators.size() != 2 || separators[0] != separators[1])
        return std::nullopt;
    switch (separators[0]) {
        case '-': return checked(numbers[0], numbers[1], numbers[2]);
        case '.': return checked(numbers[2], numbers[1], numbers[0]);
        case '/': return checked(numbers[2], numbers[0], numbers[1]);
        default: return std::nullopt;
    }
}

Locale& locale()
{
    return *installed();
}

std::shared_ptr<Locale> setLocale(std::shared_ptr<Locale> service)
{
    std::shared_ptr<Locale> previous = installed();
    installed() = service ? std::move(service) : std::make_shared<Locale>();
    return previous;
}

}  // namespace forms
