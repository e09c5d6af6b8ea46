#include "app/Log.h"

#include "framework/CodePage.h"
#include "framework/Format.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <new>

namespace {
bool s_bLogOpen = false;
FILE* s_pLogFile = nullptr;
std::wstring s_strLogPath;
std::wstring s_strLogBuffer;

void WriteToFile(const std::wstring& text)
{
    const std::string bytes = ToThreadAnsi(text);
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), s_pLogFile);
}

bool OpenStream(const std::string& ansiPath, const char* mode)
{
    FILE* file = nullptr;
    if (fopen_s(&file, ansiPath.c_str(), mode) != 0 || file == nullptr)
        return false;
    s_pLogFile = file;
    s_bLogOpen = true;
    return true;
}
} // namespace

void WriteLog(const wchar_t* text)
{
    if (text == nullptr)
        return;
    // The log has no way to report that memory ran out: the message is dropped.
    try {
        const std::wstring message(text, wcslen(text));
        if (s_bLogOpen)
            WriteToFile(message);
        else
            s_strLogBuffer += message;
    } catch (const std::bad_alloc&) {
    }
}

void WriteLog(const std::wstring& text)
{
    WriteLog(text.c_str());
}

void WriteLogFormat(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    try {
        WriteLog(FormatStringV(format, args));
    } catch (const std::bad_alloc&) {
        // As in WriteLog: a message that cannot be formatted is dropped.
    }
    va_end(args);
}

void OpenLogFile(const std::string& ansiPath)
{
    if (s_bLogOpen) {
        if (ToThreadAnsi(s_strLogPath) == ansiPath)
            return;
        CloseLogFile();
    }
    s_strLogPath = FromThreadAnsi(ansiPath);
    if (!OpenStream(ansiPath, "wt"))
        return;
    WriteToFile(s_strLogBuffer);
    s_strLogBuffer.clear();
}

void ReopenLogFile()
{
    if (s_bLogOpen || s_strLogPath.empty())
        return;
    OpenStream(ToThreadAnsi(s_strLogPath), "at");
}

void CloseLogFile()
{
    if (!s_bLogOpen)
        return;
    fclose(s_pLogFile);
    s_pLogFile = nullptr;
    s_bLogOpen = false;
}
