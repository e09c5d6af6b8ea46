// Test program: stands in for the web browser. Registered in the test prefix as the handler
// of http and https addresses, it appends the address it was asked to open (its command line
// after its own name) as one UTF-8 line to "opened.txt" beside itself, and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandTail, int)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"opened.txt";
    std::wstring target = commandTail;
    if (target.size() >= 2 && target.front() == L'"' && target.back() == L'"')
        target = target.substr(1, target.size() - 2);
    const int size = WideCharToMultiByte(CP_UTF8, 0, target.c_str(), static_cast<int>(target.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, target.c_str(), static_cast<int>(target.size()), bytes.data(), size, nullptr, nullptr);
    FILE* file = _wfopen(path.c_str(), L"ab");
    if (file == nullptr)
        return 1;
    fprintf(file, "%s\n", bytes.c_str());
    fclose(file);
    return 0;
}
