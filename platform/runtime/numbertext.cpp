#include "platform/runtime/numbertext.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "platform/runtime/errors.h"

namespace rt {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A decimal number as scanned: sign, digits before and after the point and
// the value of its exponent (saturated far beyond any float range).
struct Decimal {
    bool negative = false;
    std::string_view intDigits;
    std::string_view fracDigits;
    long long exponent = 0;
};

// Scans the longest decimal number at pos: [sign] digits [. digits]
// [E|D [sign] digits], with at least one mantissa digit; an exponent letter
// not followed by digits is left unread. Returns false (pos unchanged) when
// no number starts there.
bool scanDecimal(std::string_view s, std::size_t& pos, Decimal& d) {
    std::size_t i = pos;
    Decimal out;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.negative = s[i++] == '-';
    const std::size_t intStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    out.intDigits = s.substr(intStart, i - intStart);
    if (i < s.size() && s[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        out.fracDigits = s.substr(fracStart, i - fracStart);
    }
    if (out.intDigits.empty() && out.fracDigits.empty()) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        if (j < s.size() && isDigit(s[j])) {
            long long e = 0;
            for (; j < s.size() && isDigit(s[j]); ++j)
                if (e < 100000000) e = e * 10 + (s[j] - '0');
            out.exponent = negativeExponent ? -e : e;
            i = j;
        }
    }
    d = out;
    pos = i;
    return true;
}

// Scans "&H" and its hex digits at pos; the value is an Integer's (up to 4
// digits, so &HFFFF is -1) or a Long's (up to 8 digits). Error 6 beyond.
bool scanHex(std::string_view s, std::size_t& pos, double& out) {
    std::size_t i = pos;
    if (i + 2 > s.size() || s[i] != '&' || (s[i + 1] != 'H' && s[i + 1] != 'h')) return false;
    i += 2;
    const std::size_t start = i;
    std::uint64_t value = 0;
    std::size_t significant = 0;
    for (; i < s.size() && hexValue(s[i]) >= 0; ++i) {
        if (value != 0 || hexValue(s[i]) != 0) ++significant;
        if (significant > 8) raise(6);
        value = value * 16 + static_cast<std::uint64_t>(hexValue(s[i]));
    }
    if (i == start) return false;
    if (i - start <= 4)
        out = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    else
        out = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    pos = i;
    return true;
}

// Decimal exponent of the leading non-zero digit; false when all digits are 0.
bool magnitudeOf(const Decimal& d, long long& magnitude) {
    for (std::size_t k = 0; k < d.intDigits.size(); ++k)
        if (d.intDigits[k] != '0') {
            magnitude = d.exponent + static_cast<long long>(d.intDigits.size() - k - 1);
            return true;
        }
    for (std::size_t k = 0; k < d.fracDigits.size(); ++k)
        if (d.fracDigits[k] != '0') {
            magnitude = d.exponent - static_cast<long long>(k + 1);
            return true;
        }
    return false;
}

// The value of a scanned decimal, correctly rounded to T; error 6 beyond
// T's range, 0 below it.
template <class T>
T valueOf(const Decimal& d) {
    long long magnitude = 0;
    if (!magnitudeOf(d, magnitude)) return d.negative ? -T(0) : T(0);
    std::string text;
    text.reserve(d.intDigits.size() + d.fracDigits.size() + 24);
    if (d.negative) text += '-';
    text += d.intDigits.empty() ? std::string_view("0") : d.intDigits;
    if (!d.fracDigits.empty()) {
        text += '.';
        text += d.fracDigits;
    }
    text += 'e';
    text += std::to_string(d.exponent);
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range || std::isinf(value)) {
        if (magnitude > 0) raise(6);
        return d.negative ? -T(0) : T(0);
    }
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) raise(13);
    return value;
}

template <class T>
bool parseWhole(std::string_view text, T& out) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    const std::string_view s = text.substr(begin, end - begin);
    std::size_t pos = 0;
    double hex = 0;
    if (scanHex(s, pos, hex)) {
        if (pos != s.size()) return false;
        out = static_cast<T>(hex);
        return true;
    }
    Decimal d;
    if (!scanDecimal(s, pos, d) || pos != s.size()) return false;
    out = valueOf<T>(d);
    return true;
}

// Shortest round-trip text of a finite value; exponent form when the
// decimal exponent is >= exponentFrom or below -4.
template <class T>
std::string formatShortest(T value, int exponentFrom) {
    if (!std::isfinite(value)) raise(6);
    if (value == 0) return std::signbit(value) ? "-0" : "0";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific);
    const std::string_view sci(buffer, static_cast<std::size_t>(result.ptr - buffer));
    // sci is "[-]d[.ddd]e(+|-)dd"
    const std::size_t ePos = sci.find('e');
    const bool negative = sci[0] == '-';
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (isDigit(c)) digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                    exponent);

    std::string out = negative ? "-" : "";
    if (exponent >= exponentFrom || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) out += '0';
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const std::size_t intLength = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intLength) {
            out += digits;
            out.append(intLength - digits.size(), '0');
        } else {
            out.append(digits, 0, intLength);
            out += '.';
            out.append(digits, intLength);
        }
    }
    return out;
}

}  // namespace

std::string formatSingle(float value) { return formatShortest(value, 7); }

std::string formatDouble(double value) { return formatShortest(value, 15); }

bool parseNumber(std::string_view text, double& out) { return parseWhole(text, out); }

bool parseSingle(std::string_view text, float& out) { return parseWhole(text, out); }

double Val(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') compact += c;
    std::size_t pos = 0;
    double hex = 0;
    if (scanHex(compact, pos, hex)) return hex;
    Decimal d;
    if (!scanDecimal(compact, pos, d)) return 0;
    return valueOf<double>(d);
}

}  // namespace rt
