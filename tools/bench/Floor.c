/* The benchmark's floor: the least a setup file can do for the same job, to measure the stub
 * against. It checks its own signature, writes the "TOOLKIT" resources that manifest 101 names
 * into a fresh GUID-named folder under the temp folder, starts resource 102's file there, waits
 * for it, deletes what it wrote and exits with the program's exit code. No options, no checks,
 * no window, no log. Packed by brennix-pack like the stub and signed like our setup files.
 * Exit codes of its own: 0x80096010-style trust statuses, or 0x80004005 for anything else. */
#include <windows.h>
#include <objbase.h>
#include <softpub.h>
#include <wintrust.h>

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define FLOOR_FAIL ((int)0x80004005)
#define FLOOR_MAX_FILES 256
#define FLOOR_PROGRAM_ID 102

struct PayloadFile {
    unsigned id;
    wchar_t path[MAX_PATH];
};

static LONG VerifyOwnSignature(const wchar_t* file)
{
    WINTRUST_FILE_INFO fileInfo = {sizeof(fileInfo), file, NULL, NULL};
    WINTRUST_DATA data = {0};
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    LONG status = WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
    return status;
}

static const char* Resource(unsigned id, DWORD* size)
{
    HRSRC found = FindResourceW(NULL, MAKEINTRESOURCEW(id), L"TOOLKIT");
    HGLOBAL loaded = found ? LoadResource(NULL, found) : NULL;
    *size = found ? SizeofResource(NULL, found) : 0;
    return loaded ? (const char*)LockResource(loaded) : NULL;
}

/* Copies the next "*"-separated field of the manifest into `field`; 0 when none is left. */
static int NextField(const char** cursor, const char* end, char* field, size_t capacity)
{
    while (*cursor < end && **cursor == '*')
        ++*cursor;
    size_t length = 0;
    while (*cursor < end && **cursor != '*') {
        if (length + 1 < capacity)
            field[length++] = **cursor;
        ++*cursor;
    }
    field[length] = '\0';
    return length > 0;
}

static int WriteResource(unsigned id, const wchar_t* path)
{
    DWORD size;
    const char* bytes = Resource(id, &size);
    if (bytes == NULL)
        return 0;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes, size, &written, NULL) && written == size;
    CloseHandle(file);
    return ok;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    const LONG trust = VerifyOwnSignature(self);
    if (trust != 0)
        return trust;

    wchar_t folder[MAX_PATH];
    GUID guid;
    wchar_t guidText[40];
    const DWORD tempLength = GetTempPathW(MAX_PATH - 40, folder);
    if (tempLength == 0 || FAILED(CoCreateGuid(&guid)) || StringFromGUID2(&guid, guidText, 40) == 0)
        return FLOOR_FAIL;
    wcscat(folder, guidText);
    if (!CreateDirectoryW(folder, NULL))
        return FLOOR_FAIL;

    struct PayloadFile* files = calloc(FLOOR_MAX_FILES, sizeof(struct PayloadFile));
    int fileCount = 0, result = files ? 0 : FLOOR_FAIL;
    const wchar_t* program = NULL;
    DWORD manifestSize;
    const char* manifest = Resource(101, &manifestSize);
    const char* cursor = manifest;
    const char* end = manifest ? manifest + manifestSize : NULL;
    char id[16], name[MAX_PATH], size[16];
    while (manifest && result == 0 && NextField(&cursor, end, id, sizeof(id)) && NextField(&cursor, end, name, sizeof(name))) {
        NextField(&cursor, end, size, sizeof(size));
        if (fileCount == FLOOR_MAX_FILES) {
            result = FLOOR_FAIL;
            break;
        }
        struct PayloadFile* file = &files[fileCount];
        file->id = (unsigned)strtoul(id, NULL, 10);
        wchar_t wideName[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, MAX_PATH) == 0 ||
            _snwprintf(file->path, MAX_PATH, L"%ls\\%ls", folder, wideName) < 0) {
            result = FLOOR_FAIL;
            break;
        }
        if (!WriteResource(file->id, file->path))
            result = FLOOR_FAIL;
        ++fileCount;
        if (file->id == FLOOR_PROGRAM_ID)
            program = file->path;
    }

    if (result == 0 && program != NULL) {
        wchar_t line[MAX_PATH + 2];
        _snwprintf(line, MAX_PATH + 2, L"\"%ls\"", program);
        STARTUPINFOW startup;
        PROCESS_INFORMATION process;
        ZeroMemory(&startup, sizeof(startup));
        startup.cb = sizeof(startup);
        if (CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, folder, &startup, &process)) {
            DWORD exitCode = 0;
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &exitCode);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            result = (int)exitCode;
        } else {
            result = FLOOR_FAIL;
        }
    } else if (result == 0) {
        result = FLOOR_FAIL;
    }

    for (int i = 0; i < fileCount; ++i)
        DeleteFileW(files[i].path);
    RemoveDirectoryW(folder);
    free(files);
    return result;
}
