#include "framework/DecimalDigits.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A non-negative decimal 0.d1d2d3... x 10^point; no digits means zero.
struct Decimal {
    std::string digits;
    int point = 0;
};

// Multiplies a number held in base-10^9 limbs (lowest first) by a small factor.
void Multiply(std::vector<uint32_t>& limbs, uint32_t factor)
{
    uint64_t carry = 0;
    for (uint32_t& limb : limbs) {
        const uint64_t product = uint64_t{limb} * factor + carry;
        limb = static_cast<uint32_t>(product % 1000000000u);
        carry = product / 1000000000u;
    }
    if (carry != 0)
        limbs.push_back(static_cast<uint32_t>(carry));
}

// The exact value of a finite double: mantissa x 2^exponent, written out in decimal. Every
// binary fraction has a finite decimal expansion: m / 2^k = m x 5^k / 10^k.
Decimal Exact(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    Decimal exact;
    if (mantissa == 0)
        return exact;
    std::vector<uint32_t> limbs = {static_cast<uint32_t>(mantissa % 1000000000u),
                                   static_cast<uint32_t>(mantissa / 1000000000u % 1000000000u),
                                   static_cast<uint32_t>(mantissa / 1000000000000000000u)};
    for (int i = 0; i < exponent; ++i)
        Multiply(limbs, 2);
    for (int i = 0; i < -exponent; ++i)
        Multiply(limbs, 5);
    while (limbs.size() > 1 && limbs.back() == 0)
        limbs.pop_back();
    std::string text = std::to_string(limbs.back());
    for (size_t i = limbs.size() - 1; i-- > 0;) {
        const std::string limb = std::to_string(limbs[i]);
        text.append(9 - limb.size(), '0');
        text += limb;
    }
    const int fractionDigits = exponent < 0 ? -exponent : 0;
    exact.point = static_cast<int>(text.size()) - fractionDigits;
    exact.digits = std::move(text);
    return exact;
}

// Keeps the first `keep` digits, rounding the rest off to the nearest, ties to even. A carry out
// of the first digit (0.999 -> 1.00) moves the point.
void RoundTo(Decimal& number, int keep)
{
    std::string& digits = number.digits;
    if (keep >= static_cast<int>(digits.size()))
        return;
    if (keep < 0) {
        digits.clear();
        return;
    }
    const char first = digits[keep];
    const bool restNonZero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
    const bool lastKeptOdd = keep > 0 && (digits[keep - 1] - '0') % 2 == 1;
    const bool up = first > '5' || (first == '5' && (restNonZero || lastKeptOdd));
    digits.resize(keep);
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && digits[i] == '9')
        digits[i--] = '0';
    if (i >= 0) {
        ++digits[i];
    } else {
        digits.insert(digits.begin(), '1');
        ++number.point;
    }
}

// The digit at `index` counted from the first digit; zero beyond either end.
char DigitAt(const Decimal& number, int index)
{
    return index >= 0 && index < static_cast<int>(number.digits.size()) ? number.digits[index] : '0';
}

std::string RenderFixed(const Decimal& number, int precision)
{
    std::string text;
    if (number.digits.empty() || number.point <= 0) {
        text = "0";
    } else {
        for (int i = 0; i < number.point; ++i)
            text += DigitAt(number, i);
    }
    if (precision > 0) {
        text += '.';
        for (int i = 0; i < precision; ++i)
            text += DigitAt(number, number.point + i);
    }
    return text;
}

// The decimal exponent of a rounded number's first digit (0 for zero).
int ExponentOf(const Decimal& number)
{
    return number.digits.empty() ? 0 : number.point - 1;
}

std::string RenderScientific(const Decimal& number, int precision)
{
    std::string text(1, DigitAt(number, 0));
    if (precision > 0) {
        text += '.';
        for (int i = 1; i <= precision; ++i)
            text += DigitAt(number, i);
    }
    const int exponent = ExponentOf(number);
    const int magnitude = exponent < 0 ? -exponent : exponent;
    text += exponent < 0 ? "e-" : "e+";
    if (magnitude < 10)
        text += '0';
    return text + std::to_string(magnitude);
}

} // namespace

std::string FixedDigits(double value, int precision)
{
    Decimal number = Exact(value);
    RoundTo(number, number.point + precision);
    return RenderFixed(number, precision);
}

std::string ScientificDigits(double value, int precision)
{
    Decimal number = Exact(value);
    RoundTo(number, precision + 1);
    return RenderScientific(number, precision);
}

std::string GeneralDigits(double value, int precision)
{
    const int significant = precision == 0 ? 1 : precision;
    const Decimal exact = Exact(value);
    Decimal rounded = exact;
    RoundTo(rounded, significant);
    const int exponent = ExponentOf(rounded);
    std::string text;
    if (exponent >= -4 && exponent < significant) {
        Decimal fixed = exact;
        const int fraction = significant - 1 - exponent;
        RoundTo(fixed, fixed.point + fraction);
        text = RenderFixed(fixed, fraction);
    } else {
        text = RenderScientific(rounded, significant - 1);
    }
    // Without the alternate form, "%g" drops the fraction's trailing zeros and a bare point.
    const size_t mark = text.find('e');
    std::string mantissa = text.substr(0, mark);
    if (mantissa.find('.') != std::string::npos) {
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    return mark == std::string::npos ? mantissa : mantissa + text.substr(mark);
}
