#include "player/avm1/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace quorvane::player::avm1 {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

std::string numberToString(double number)
{
    if (std::isnan(number)) {
        return "NaN";
    }
    if (std::isinf(number)) {
        return number > 0 ? "Infinity" : "-Infinity";
    }
    if (number == 0) {
        return "0";
    }
    // Fifteen significant digits hide the binary rounding of sums such as
    // 0.1 + 0.2, as Flash's own conversion does.
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.14e", number);
    char* exponentMark = std::strchr(digits, 'e');
    const int exponent = std::atoi(exponentMark + 1);
    *exponentMark = '\0';
    std::string mantissa;
    bool negative = false;
    for (const char* c = digits; *c; ++c) {
        if (*c == '-') {
            negative = true;
        } else if (*c != '.') {
            mantissa += *c;
        }
    }
    while (mantissa.size() > 1 && mantissa.back() == '0') {
        mantissa.pop_back();
    }
    std::string text = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        text += mantissa[0];
        if (mantissa.size() > 1) {
            text += '.';
            text += mantissa.substr(1);
        }
        text += exponent > 0 ? "e+" : "e-";
        text += std::to_string(std::abs(exponent));
    } else if (exponent < 0) {
        text += "0.";
        text += std::string(std::size_t(-exponent - 1), '0');
        text += mantissa;
    } else {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (mantissa.size() <= whole) {
            text += mantissa + std::string(whole - mantissa.size(), '0');
        } else {
            text += mantissa.substr(0, whole) + '.' + mantissa.substr(whole);
        }
    }
    return text;
}

std::string numberToString(double number, int radix)
{
    if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(number)) {
        return numberToString(number);
    }
    // Other radixes show the integer part only, as Flash does.
    double whole = std::trunc(number);
    const bool negative = whole < 0;
    whole = std::fabs(whole);
    if (whole > 9007199254740992.0) {
        return numberToString(number);
    }
    auto value = static_cast<unsigned long long>(whole);
    std::string text;
    do {
        const int digit = int(value % unsigned(radix));
        text.insert(text.begin(), char(digit < 10 ? '0' + digit : 'a' + digit - 10));
        value /= unsigned(radix);
    } while (value != 0);
    return negative ? "-" + text : text;
}

double stringToNumber(const std::string& text, int swfVersion)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(text[end - 1])) {
        --end;
    }
    if (begin == end) {
        return swfVersion >= 5 ? nan : 0.0;
    }
    const std::string trimmed = text.substr(begin, end - begin);
    if (swfVersion >= 6 && trimmed.size() > 2 && trimmed[0] == '0' &&
        (trimmed[1] == 'x' || trimmed[1] == 'X')) {
        char* stop = nullptr;
        const long long value = std::strtoll(trimmed.c_str() + 2, &stop, 16);
        return *stop == '\0' ? double(static_cast<std::int32_t>(value)) : nan;
    }
    // strtod would accept "inf", "nan" and hexadecimal floats; ActionScript
    // takes only decimal digits, a point and an exponent.
    std::size_t i = 0;
    if (trimmed[i] == '+' || trimmed[i] == '-') {
        ++i;
    }
    bool digits = false;
    while (i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i]))) {
        ++i;
        digits = true;
    }
    if (i < trimmed.size() && trimmed[i] == '.') {
        ++i;
        while (i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i]))) {
            ++i;
            digits = true;
        }
    }
    if (digits && i < trimmed.size() && (trimmed[i] == 'e' || trimmed[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < trimmed.size() && (trimmed[j] == '+' || trimmed[j] == '-')) {
            ++j;
        }
        if (j < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[j]))) {
            while (j < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[j]))) {
                ++j;
            }
            i = j;
        }
    }
    if (!digits) {
        return swfVersion >= 5 ? nan : 0.0;
    }
    if (i != trimmed.size() && swfVersion >= 5) {
        return nan;
    }
    return std::strtod(trimmed.substr(0, i).c_str(), nullptr);
}

} // namespace quorvane::player::avm1
