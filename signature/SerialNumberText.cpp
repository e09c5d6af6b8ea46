#include "signature/SerialNumberText.h"

std::wstring FormatSerialNumber(const uint8_t* bytes, size_t size)
{
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    if (bytes == nullptr)
        return text;
    text.reserve(size * 2);
    for (size_t i = size; i-- > 0;) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}
