#include "framework/Format.h"

#include "framework/DecimalDigits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Bounds absurd widths and precisions, which could otherwise overflow or exhaust memory.
constexpr int kMaxFieldLength = 1024;

enum class Size { Default, Short, Long64 };

struct Spec {
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool space = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;  // none
    Size size = Size::Default;
    bool narrow = false;  // "h" before s or c
};

void Pad(std::wstring& out, const std::wstring& body, const Spec& spec, bool zeroPadAllowed)
{
    const int fill = spec.width - static_cast<int>(body.size());
    if (fill <= 0) {
        out += body;
        return;
    }
    if (spec.leftAlign) {
        out += body;
        out.append(fill, L' ');
        return;
    }
    if (spec.zeroPad && zeroPadAllowed) {
        // Zeros go after any sign or "0x" prefix.
        size_t prefix = 0;
        if (!body.empty() && (body[0] == L'-' || body[0] == L'+' || body[0] == L' '))
            prefix = 1;
        if (body.size() >= prefix + 2 && body[prefix] == L'0' && (body[prefix + 1] == L'x' || body[prefix + 1] == L'X'))
            prefix += 2;
        out.append(body, 0, prefix);
        out.append(fill, L'0');
        out.append(body, prefix, std::wstring::npos);
        return;
    }
    out.append(fill, L' ');
    out += body;
}

std::wstring Digits(uint64_t value, unsigned base, bool upper, int precision)
{
    const wchar_t* symbols = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring digits;
    while (value != 0) {
        digits += symbols[value % base];
        value /= base;
    }
    // A precision of 0 prints nothing for 0, as in C.
    const size_t minimum = precision < 0 ? 1 : static_cast<size_t>(precision);
    if (digits.size() < minimum)
        digits.append(minimum - digits.size(), L'0');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::wstring SignPrefix(bool negative, const Spec& spec)
{
    if (negative)
        return L"-";
    if (spec.plusSign)
        return L"+";
    if (spec.space)
        return L" ";
    return L"";
}

std::wstring Signed(int64_t value, const Spec& spec)
{
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return SignPrefix(value < 0, spec) + Digits(magnitude, 10, false, spec.precision);
}

int64_t SignedArgument(va_list& args, Size size)
{
    if (size == Size::Long64)
        return va_arg(args, int64_t);
    const int32_t value = va_arg(args, int32_t);
    return size == Size::Short ? static_cast<int16_t>(value) : value;
}

uint64_t UnsignedArgument(va_list& args, Size size)
{
    if (size == Size::Long64)
        return va_arg(args, uint64_t);
    const uint32_t value = va_arg(args, uint32_t);
    return size == Size::Short ? static_cast<uint16_t>(value) : value;
}

// "%f", "%e", "%g" and their upper-case forms, with printf's exact rounding (no runtime printf,
// no locale).
std::wstring Floating(double value, wchar_t conversion, const Spec& spec)
{
    const bool upper = conversion == L'F' || conversion == L'E' || conversion == L'G';
    const std::wstring sign = SignPrefix(std::signbit(value), spec);
    std::wstring body;
    if (std::isnan(value)) {
        body = L"nan";
    } else if (std::isinf(value)) {
        body = L"inf";
    } else {
        const wchar_t lower = static_cast<wchar_t>(upper ? conversion - L'A' + L'a' : conversion);
        const int precision = spec.precision < 0 ? 6 : spec.precision;
        const double magnitude = std::fabs(value);
        const std::string digits = lower == L'f'   ? FixedDigits(magnitude, precision)
                                   : lower == L'e' ? ScientificDigits(magnitude, precision)
                                                   : GeneralDigits(magnitude, precision);
        body.assign(digits.begin(), digits.end());
    }
    if (upper)
        std::transform(body.begin(), body.end(), body.begin(), [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; });
    return sign + body;
}

// Reads a decimal field length (width or precision) from `p`, bounded.
int ReadLength(const wchar_t*& p)
{
    int length = 0;
    while (*p >= L'0' && *p <= L'9') {
        length = std::min(length * 10 + (*p - L'0'), kMaxFieldLength);
        ++p;
    }
    return length;
}

void ReadSize(const wchar_t*& p, Spec& spec)
{
    if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
        spec.size = Size::Long64;
        p += 3;
    } else if (p[0] == L'l' && p[1] == L'l') {
        spec.size = Size::Long64;
        p += 2;
    } else if (*p == L'h') {
        spec.size = Size::Short;
        spec.narrow = true;
        ++p;
    } else if (*p == L'l' || *p == L'w') {
        ++p;
    }
}

std::wstring NarrowText(const char* text, const Spec& spec)
{
    std::wstring body;
    if (text == nullptr) {
        body = L"(null)";
    } else {
        for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
            if (spec.precision >= 0 && static_cast<int>(body.size()) >= spec.precision)
                break;
            body += static_cast<wchar_t>(*c);
        }
    }
    return body;
}

std::wstring WideText(const wchar_t* text, const Spec& spec)
{
    std::wstring body = text != nullptr ? text : L"(null)";
    if (spec.precision >= 0 && static_cast<int>(body.size()) > spec.precision)
        body.resize(spec.precision);
    return body;
}

} // namespace

std::wstring FormatStringV(const wchar_t* format, va_list args)
{
    std::wstring out;
    if (format == nullptr)
        return out;
    va_list list;
    va_copy(list, args);
    for (const wchar_t* p = format; *p != L'\0'; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        const wchar_t* start = p++;
        Spec spec;
        for (;; ++p) {
            if (*p == L'-') spec.leftAlign = true;
            else if (*p == L'0') spec.zeroPad = true;
            else if (*p == L'+') spec.plusSign = true;
            else if (*p == L' ') spec.space = true;
            else if (*p == L'#') spec.alternate = true;
            else break;
        }
        if (*p == L'*') {
            // A negative width from the argument list means left-aligned, as in C.
            long long width = va_arg(list, int);
            if (width < 0) {
                spec.leftAlign = true;
                width = -width;
            }
            spec.width = static_cast<int>(std::min<long long>(width, kMaxFieldLength));
            ++p;
        } else {
            spec.width = ReadLength(p);
        }
        if (*p == L'.') {
            ++p;
            if (*p == L'*') {
                const int precision = va_arg(list, int);
                spec.precision = precision < 0 ? -1 : std::min(precision, kMaxFieldLength);  // negative: none
                ++p;
            } else {
                spec.precision = ReadLength(p);
            }
        }
        ReadSize(p, spec);
        // Zero padding of integers gives way to a precision, as in C.
        const bool integerZeroPad = spec.precision < 0;
        switch (*p) {
        case L'%':
            out += L'%';
            break;
        case L'd':
        case L'i':
            Pad(out, Signed(SignedArgument(list, spec.size), spec), spec, integerZeroPad);
            break;
        case L'u':
            Pad(out, Digits(UnsignedArgument(list, spec.size), 10, false, spec.precision), spec, integerZeroPad);
            break;
        case L'x':
        case L'X': {
            const uint64_t value = UnsignedArgument(list, spec.size);
            std::wstring body = Digits(value, 16, *p == L'X', spec.precision);
            if (spec.alternate && value != 0)
                body.insert(0, *p == L'X' ? L"0X" : L"0x");
            Pad(out, body, spec, integerZeroPad);
            break;
        }
        case L'p': {
            const uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(list, void*));
            Pad(out, Digits(value, 16, true, static_cast<int>(sizeof(void*) * 2)), spec, false);
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G':
            Pad(out, Floating(va_arg(list, double), *p, spec), spec, true);
            break;
        case L'c':
        case L'C': {
            const int value = va_arg(list, int);
            const bool narrow = spec.narrow || *p == L'C';
            Pad(out, std::wstring(1, narrow ? static_cast<wchar_t>(static_cast<unsigned char>(value)) : static_cast<wchar_t>(value)),
                spec, false);
            break;
        }
        case L's':
        case L'S':
            if (spec.narrow || *p == L'S')
                Pad(out, NarrowText(va_arg(list, const char*), spec), spec, false);
            else
                Pad(out, WideText(va_arg(list, const wchar_t*), spec), spec, false);
            break;
        default:
            // Not a conversion we know: keep the text as written so nothing is silently lost.
            if (*p == L'\0') {
                out.append(start);
                va_end(list);
                return out;
            }
            out.append(start, p + 1);
            break;
        }
    }
    va_end(list);
    return out;
}

std::wstring FormatString(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring result = FormatStringV(format, args);
    va_end(args);
    return result;
}
