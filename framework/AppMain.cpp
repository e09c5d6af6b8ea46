// The program's entry point. It lives outside the framework library so that test programs
// linking the library keep their own main.
#include "framework/WinApp.h"
#include "framework/DllSearchPath.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandTail, int)
{
    // A setup file is often started from a Downloads folder full of other files: keep DLLs
    // loaded from now on to the system folder before anything else can load one.
    RestrictDllSearchPath();
    return AfxWinMain(instance, commandTail);
}
