// The control for the planted-library test: a program that links the trust provider by plain
// import, as the stub must not, and prints the verdict on its own (unsigned) file. Beside a
// planted wintrust.dll it prints 0x00000000, showing that the plant is picked up in that place.
#include <windows.h>

#include <softpub.h>
#include <wintrust.h>

#include <cstdio>

int wmain()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = path;
    WINTRUST_DATA request = {};
    request.cbStruct = sizeof(request);
    request.dwUIChoice = WTD_UI_NONE;
    request.dwUnionChoice = WTD_CHOICE_FILE;
    request.pFile = &file;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    std::printf("0x%08lx\n", static_cast<unsigned long>(WinVerifyTrust(nullptr, &action, &request)));
    return 0;
}
