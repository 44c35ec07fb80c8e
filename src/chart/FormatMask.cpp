#include "chart/FormatMask.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vorin::chart {

namespace {

struct ParsedMask
{
    std::string prefix;
    std::string suffix;
    int requiredIntegerDigits = 0;
    int requiredDecimals = 0;
    int optionalDecimals = 0;
    bool grouping = false;
    bool hasPlaceholder = false;
};

bool isNumberCharacter(char c)
{
    return c == '0' || c == '#' || c == '.' || c == ',';
}

// Splits the mask into literal prefix, the number part and literal suffix. Quoted
// text is a literal wherever it stands.
ParsedMask parseMask(std::string_view mask)
{
    ParsedMask parsed;
    bool inNumber = false;
    bool numberDone = false;
    bool afterDecimal = false;
    bool seenDecimal = false;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = mask.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? mask.size() : close;
            std::string literal(mask.substr(i + 1, end - i - 1));
            ((inNumber || numberDone) ? parsed.suffix : parsed.prefix) += literal;
            if (inNumber) {
                inNumber = false;
                numberDone = true;
            }
            i = end;
            continue;
        }
        // A "." or "," only belongs to the number when a digit placeholder is next
        // to it; otherwise it is punctuation of the text around the number.
        const bool placeholder = c == '0' || c == '#';
        const bool separatorInNumber =
            (c == '.' || c == ',') && !numberDone &&
            (inNumber || (i + 1 < mask.size() && isNumberCharacter(mask[i + 1])));
        if (!numberDone && (placeholder || separatorInNumber)) {
            inNumber = true;
            if (c == ',') {
                parsed.grouping = true;
            } else if (c == '.') {
                if (!seenDecimal) {
                    seenDecimal = true;
                    afterDecimal = true;
                }
            } else {
                parsed.hasPlaceholder = true;
                if (afterDecimal) {
                    if (c == '0') {
                        // A required digit after optional ones makes them required too.
                        parsed.requiredDecimals += parsed.optionalDecimals + 1;
                        parsed.optionalDecimals = 0;
                    } else {
                        ++parsed.optionalDecimals;
                    }
                } else if (c == '0') {
                    ++parsed.requiredIntegerDigits;
                }
            }
            continue;
        }
        if (inNumber) {
            inNumber = false;
            numberDone = true;
        }
        (numberDone ? parsed.suffix : parsed.prefix) += c;
    }
    return parsed;
}

// The value's decimal digits rounded half away from zero to `decimals` places,
// without sign, as an integer-part text and a fraction text of `decimals` digits.
void roundedDigits(double magnitude, int decimals, std::string &integerPart, std::string &fraction)
{
    // 15 significant digits are what a double reliably carries; rounding that
    // text (and not the binary value) keeps 2.675 at 2.68.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    std::string digits;
    const char *p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits += *p;
        }
    }
    const int exponent = std::atoi(p + 1);
    // digits[0] has weight 10^exponent. Keep those with weight >= 10^-decimals.
    int pointPosition = exponent + 1; // number of digits before the decimal point
    const int keep = pointPosition + decimals;
    if (keep < 0) {
        integerPart = "0";
        fraction.assign(static_cast<std::size_t>(decimals), '0');
        return;
    }
    bool roundUp = false;
    if (keep < static_cast<int>(digits.size())) {
        roundUp = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
    }
    while (static_cast<int>(digits.size()) < keep) {
        digits += '0';
    }
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
            digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            ++pointPosition;
        }
    }
    if (pointPosition <= 0) {
        integerPart = "0";
        fraction = std::string(static_cast<std::size_t>(-pointPosition), '0') + digits;
    } else {
        integerPart = digits.substr(0, static_cast<std::size_t>(pointPosition));
        fraction = digits.substr(static_cast<std::size_t>(pointPosition));
    }
    fraction.resize(static_cast<std::size_t>(decimals), '0');
    const std::size_t firstNonZero = integerPart.find_first_not_of('0');
    integerPart =
        firstNonZero == std::string::npos ? std::string() : integerPart.substr(firstNonZero);
}

std::string generalFormat(double value, const LocaleSeparators &separators)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text(buffer);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        text.replace(point, 1, separators.decimal);
    }
    return text;
}

} // namespace

std::string formatMask(double value, std::string_view mask, const LocaleSeparators &separators)
{
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    const std::size_t sectionEnd = mask.find(';');
    const ParsedMask parsed = parseMask(mask.substr(0, sectionEnd));
    if (!parsed.hasPlaceholder) {
        return parsed.prefix + generalFormat(value, separators) + parsed.suffix;
    }

    const int decimals = parsed.requiredDecimals + parsed.optionalDecimals;
    std::string integerPart;
    std::string fraction;
    roundedDigits(std::fabs(value), decimals, integerPart, fraction);

    // Optional decimals drop their trailing zeros.
    std::size_t fractionLength = fraction.size();
    while (fractionLength > static_cast<std::size_t>(parsed.requiredDecimals) &&
           fraction[fractionLength - 1] == '0') {
        --fractionLength;
    }
    fraction.resize(fractionLength);

    while (static_cast<int>(integerPart.size()) < parsed.requiredIntegerDigits) {
        integerPart.insert(integerPart.begin(), '0');
    }

    const bool isZero = integerPart.find_first_not_of('0') == std::string::npos &&
                        fraction.find_first_not_of('0') == std::string::npos;

    std::string number;
    if (parsed.grouping) {
        const std::size_t count = integerPart.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && (count - i) % 3 == 0) {
                number += separators.thousands;
            }
            number += integerPart[i];
        }
    } else {
        number = integerPart;
    }
    if (!fraction.empty()) {
        number += separators.decimal;
        number += fraction;
    }
    if (number.empty()) {
        // Only optional placeholders and a value that rounds to zero: an empty
        // mark would read as missing data, so the zero is written.
        number = "0";
    }

    std::string result;
    if (value < 0 && !isZero) {
        result += '-';
    }
    result += parsed.prefix;
    result += number;
    result += parsed.suffix;
    return result;
}

} // namespace vorin::chart
