#include "framework/Format.h"

#include <cmath>
#include <cstdint>

namespace {

struct Spec {
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool space = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
};

void Pad(std::wstring& out, const std::wstring& body, const Spec& spec, bool numeric)
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
    if (spec.zeroPad && numeric) {
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
        digits.insert(digits.begin(), symbols[value % base]);
        value /= base;
    }
    const int minimum = precision < 0 ? 1 : precision;
    if (static_cast<int>(digits.size()) < minimum)
        digits.insert(0, minimum - digits.size(), L'0');
    return digits;
}

std::wstring Signed(int64_t value, const Spec& spec)
{
    const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::wstring body = Digits(magnitude, 10, false, spec.precision);
    if (value < 0)
        body.insert(0, 1, L'-');
    else if (spec.plusSign)
        body.insert(0, 1, L'+');
    else if (spec.space)
        body.insert(0, 1, L' ');
    return body;
}

std::wstring Fixed(double value, const Spec& spec)
{
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    if (std::isnan(value))
        return L"nan";
    std::wstring sign;
    if (std::signbit(value)) {
        sign = L"-";
        value = -value;
    } else if (spec.plusSign) {
        sign = L"+";
    }
    if (std::isinf(value))
        return sign + L"inf";
    double scale = std::pow(10.0, precision);
    double scaled = std::floor(value * scale + 0.5);
    // Split into whole and fraction digits without relying on a runtime's printf.
    std::wstring digits;
    if (scaled < 1e18) {
        digits = Digits(static_cast<uint64_t>(scaled), 10, false, precision + 1);
    } else {
        // Values this large are never formatted by the program; keep the integral part only.
        digits = Digits(static_cast<uint64_t>(std::fmin(value, 1.8e19)), 10, false, 1) + std::wstring(precision, L'0');
    }
    std::wstring body = sign + digits.substr(0, digits.size() - precision);
    if (precision > 0)
        body += L"." + digits.substr(digits.size() - precision);
    return body;
}

} // namespace

std::wstring FormatStringV(const wchar_t* format, va_list args)
{
    std::wstring out;
    if (format == nullptr)
        return out;
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
            spec.width = va_arg(args, int);
            ++p;
        }
        while (*p >= L'0' && *p <= L'9')
            spec.width = spec.width * 10 + (*p++ - L'0');
        if (*p == L'.') {
            ++p;
            spec.precision = 0;
            if (*p == L'*') {
                spec.precision = va_arg(args, int);
                ++p;
            }
            while (*p >= L'0' && *p <= L'9')
                spec.precision = spec.precision * 10 + (*p++ - L'0');
        }
        bool wide64 = false;
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            wide64 = true;
            p += 3;
        } else if (p[0] == L'l' && p[1] == L'l') {
            wide64 = true;
            p += 2;
        } else if (*p == L'l' || *p == L'h' || *p == L'w') {
            ++p;
        }
        switch (*p) {
        case L'%':
            out += L'%';
            break;
        case L'd':
        case L'i': {
            const int64_t value = wide64 ? va_arg(args, int64_t) : va_arg(args, int32_t);
            Pad(out, Signed(value, spec), spec, spec.precision < 0);
            break;
        }
        case L'u': {
            const uint64_t value = wide64 ? va_arg(args, uint64_t) : va_arg(args, uint32_t);
            Pad(out, Digits(value, 10, false, spec.precision), spec, spec.precision < 0);
            break;
        }
        case L'x':
        case L'X': {
            const uint64_t value = wide64 ? va_arg(args, uint64_t) : va_arg(args, uint32_t);
            std::wstring body = Digits(value, 16, *p == L'X', spec.precision);
            if (spec.alternate && value != 0)
                body.insert(0, *p == L'X' ? L"0X" : L"0x");
            Pad(out, body, spec, spec.precision < 0);
            break;
        }
        case L'p': {
            const uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(args, void*));
            Pad(out, Digits(value, 16, true, static_cast<int>(sizeof(void*) * 2)), spec, false);
            break;
        }
        case L'f':
        case L'F':
            Pad(out, Fixed(va_arg(args, double), spec), spec, true);
            break;
        case L'c':
            Pad(out, std::wstring(1, static_cast<wchar_t>(va_arg(args, int))), spec, false);
            break;
        case L's': {
            const wchar_t* text = va_arg(args, const wchar_t*);
            std::wstring body = text != nullptr ? text : L"(null)";
            if (spec.precision >= 0 && static_cast<int>(body.size()) > spec.precision)
                body.resize(spec.precision);
            Pad(out, body, spec, false);
            break;
        }
        default:
            // Not a conversion we know: keep the text as written so nothing is silently lost.
            if (*p == L'\0') {
                out.append(start);
                return out;
            }
            out.append(start, p + 1);
            break;
        }
    }
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
