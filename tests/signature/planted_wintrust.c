/* A planted trust library: the wintrust.dll an attacker would put beside a downloaded setup
   file. It calls every file trusted. */
#include <windows.h>

__declspec(dllexport) LONG WINAPI WinVerifyTrust(HWND window, GUID* action, LPVOID data)
{
    (void)window;
    (void)action;
    (void)data;
    return 0;
}
