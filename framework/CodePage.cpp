#include "framework/CodePage.h"

#include <windows.h>

std::string ToThreadAnsi(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring FromThreadAnsi(const char* bytes, size_t length)
{
    if (length == 0)
        return {};
    const int size = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(length), nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, static_cast<int>(length), text.data(), size);
    return text;
}
