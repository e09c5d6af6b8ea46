#include "signature/VerifyFileSignature.h"

#include "app/Log.h"
#include "framework/LongPath.h"
#include "signature/SignatureStatusText.h"
#include "signature/TrustLibrary.h"

#include <softpub.h>

// The trust request of the 12-field layout that every supported system accepts.
static_assert(sizeof(void*) != 4 || sizeof(WINTRUST_DATA) == 48, "WINTRUST_DATA must be the 48-byte layout");

TrustVerdict AskTrustProvider(const std::wstring& path)
{
    DWORD loadError = ERROR_SUCCESS;
    const TrustLibrary* library = GetTrustLibrary(&loadError);
    if (library == nullptr)
        return {Result::FromWin32(loadError), loadError};

    const std::wstring openablePath = ExtendedLengthPath(path);
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = openablePath.c_str();

    WINTRUST_DATA request = {};
    request.cbStruct = sizeof(request);
    request.dwUIChoice = WTD_UI_NONE;
    request.fdwRevocationChecks = WTD_REVOKE_NONE;
    request.dwUnionChoice = WTD_CHOICE_FILE;
    request.pFile = &file;
    request.dwStateAction = WTD_STATEACTION_IGNORE;  // no state handle to close afterwards
    request.dwProvFlags = WTD_SAFER_FLAG;
    request.dwUIContext = WTD_UICONTEXT_EXECUTE;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG status = library->WinVerifyTrust(nullptr, &action, &request);
    const DWORD lastError = GetLastError();
    return {static_cast<ResultCode>(status), lastError};
}

ResultCode VerifyFileSignature(const std::wstring& path, std::wstring& description, TrustProviderCall askTrustProvider)
{
    const TrustVerdict verdict = askTrustProvider(path);
    description = DescribeTrustStatus(verdict.status, verdict.lastError, path);
    WriteLogFormat(L"Digital verification: '%s'\n", description.c_str());
    return verdict.status;
}
