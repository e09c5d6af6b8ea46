// Test control: loads each library named on the command line by name, with the process's
// default search order (the program's own folder first), and prints where each came from.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        const HMODULE library = LoadLibraryW(argv[i]);
        wchar_t path[MAX_PATH] = L"(not loaded)";
        if (library != nullptr)
            GetModuleFileNameW(library, path, MAX_PATH);
        wprintf(L"%ls\t%ls\n", argv[i], path);
    }
    return 0;
}
