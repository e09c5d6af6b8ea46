#include "framework/DecimalNumber.h"

#include <limits>

namespace {
bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}
} // namespace

int32_t ParseDecimalNumber(const std::wstring& text)
{
    size_t position = 0;
    while (position < text.size() && IsBlank(text[position]))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == L'+' || text[position] == L'-')) {
        negative = text[position] == L'-';
        ++position;
    }
    // Gathered as a magnitude one past the positive limit, so the negative end fits too.
    const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + (negative ? 1 : 0);
    int64_t magnitude = 0;
    for (; position < text.size() && text[position] >= L'0' && text[position] <= L'9'; ++position) {
        magnitude = magnitude * 10 + (text[position] - L'0');
        if (magnitude > limit)
            magnitude = limit;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
