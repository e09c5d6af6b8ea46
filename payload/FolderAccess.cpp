#include "payload/FolderAccess.h"

#include "framework/DecimalNumber.h"
#include "framework/StringTable.h"
#include "payload/LinkCheck.h"
#include "res/resource.h"

#include <aclapi.h>

namespace {

// The folder opened for its security, without following a link: the handle is then the link
// itself, and a link swapped in after the check cannot redirect the change.
class SystemFolderSecurity : public FolderSecurity {
public:
    SystemFolderSecurity(const std::wstring& path, DWORD access)
        : m_path(path),
          m_folder(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)),
          m_openError(m_folder ? ERROR_SUCCESS : GetLastError())
    {
    }

    bool IsOpen() const { return m_folder.IsValid(); }
    DWORD OpenError() const { return m_openError; }

    bool IsLink() override
    {
        // The handle's attributes tell on Windows; Wine shows links only through the path.
        BY_HANDLE_FILE_INFORMATION information = {};
        if (!GetFileInformationByHandle(m_folder.Get(), &information))
            return true;
        return (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || ::IsLink(m_path);
    }

    DWORD ReadDacl(PACL& dacl, LocalMemory& descriptor) override
    {
        PSECURITY_DESCRIPTOR received = nullptr;
        const DWORD error = GetSecurityInfo(m_folder.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                            &dacl, nullptr, &received);
        descriptor.Reset(received);
        return error;
    }

    DWORD ReadOwner(PSID& owner, LocalMemory& descriptor) override
    {
        PSECURITY_DESCRIPTOR received = nullptr;
        const DWORD error = GetSecurityInfo(m_folder.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                            nullptr, nullptr, &received);
        descriptor.Reset(received);
        return error;
    }

    DWORD WriteDacl(PACL dacl, bool protectedList) override
    {
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | (protectedList ? PROTECTED_DACL_SECURITY_INFORMATION : 0);
        return SetSecurityInfo(m_folder.Get(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
    }

private:
    std::wstring m_path;
    FileHandle m_folder;
    DWORD m_openError;
};

// One entry that every subfolder and file below inherits.
EXPLICIT_ACCESSW InheritedEntry(PSID sid, DWORD rights, TRUSTEE_TYPE type)
{
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = rights;
    access.grfAccessMode = SET_ACCESS;  // replaces whatever the list said for this trustee
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = type;
    access.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    return access;
}

bool MakeSid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD first, DWORD second, SidHandle& sid)
{
    return AllocateAndInitializeSid(&authority, count, first, second, 0, 0, 0, 0, 0, 0, sid.Receive()) != FALSE;
}

} // namespace

void RestrictFolderAccess(FolderSecurity& folder)
{
    if (folder.IsLink())
        return;
    PSID owner = nullptr;
    LocalMemory ownerDescriptor;
    if (folder.ReadOwner(owner, ownerDescriptor) != ERROR_SUCCESS || owner == nullptr)
        return;

    SidHandle administrators, system, everyone;
    if (!MakeSid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, administrators) ||
        !MakeSid(SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID, 0, system) ||
        !MakeSid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0, everyone))
        return;

    EXPLICIT_ACCESSW entries[] = {
        InheritedEntry(owner, GENERIC_ALL, TRUSTEE_IS_UNKNOWN),
        InheritedEntry(administrators.Get(), GENERIC_ALL, TRUSTEE_IS_ALIAS),
        InheritedEntry(system.Get(), GENERIC_ALL, TRUSTEE_IS_WELL_KNOWN_GROUP),
        // Read and run, list and traverse: no writing, appending, deleting or changing the list.
        InheritedEntry(everyone.Get(), GENERIC_READ | GENERIC_EXECUTE, TRUSTEE_IS_WELL_KNOWN_GROUP),
    };
    PACL newDacl = nullptr;
    if (SetEntriesInAclW(ARRAYSIZE(entries), entries, nullptr, &newDacl) != ERROR_SUCCESS)
        return;
    LocalMemory newDaclOwner(newDacl);
    folder.WriteDacl(newDacl, true);
}

void GrantEveryoneAccess(FolderSecurity& folder)
{
    if (folder.IsLink())
        return;
    PACL oldDacl = nullptr;
    LocalMemory descriptor;
    if (folder.ReadDacl(oldDacl, descriptor) != ERROR_SUCCESS)
        return;

    SidHandle everyone;
    if (!MakeSid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0, everyone))
        return;
    EXPLICIT_ACCESSW access = InheritedEntry(everyone.Get(), GENERIC_ALL, TRUSTEE_IS_WELL_KNOWN_GROUP);

    PACL newDacl = nullptr;
    if (SetEntriesInAclW(1, &access, oldDacl, &newDacl) != ERROR_SUCCESS)
        return;
    LocalMemory newDaclOwner(newDacl);
    folder.WriteDacl(newDacl, false);
}

bool IsOwnedByOneOf(FolderSecurity& folder, const std::vector<PSID>& owners)
{
    PSID owner = nullptr;
    LocalMemory descriptor;
    if (folder.ReadOwner(owner, descriptor) != ERROR_SUCCESS || owner == nullptr)
        return true;
    for (PSID candidate : owners) {
        if (candidate != nullptr && EqualSid(owner, candidate))
            return true;
    }
    return false;
}

bool IsFolderOwnedByThisRun(const std::wstring& path)
{
    SystemFolderSecurity folder(path, READ_CONTROL);
    // A folder whose owner will not even let it be looked at is not this run's.
    if (!folder.IsOpen())
        return folder.OpenError() != ERROR_ACCESS_DENIED;
    ObjectHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return true;
    // Room for a TOKEN_USER or TOKEN_OWNER with the longest SID.
    alignas(void*) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    alignas(void*) BYTE defaultOwner[sizeof(TOKEN_OWNER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, user, sizeof(user), &size) ||
        !GetTokenInformation(token.Get(), TokenOwner, defaultOwner, sizeof(defaultOwner), &size))
        return true;
    SidHandle administrators, system;
    MakeSid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, administrators);
    MakeSid(SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID, 0, system);
    const std::vector<PSID> owners = {reinterpret_cast<TOKEN_USER*>(user)->User.Sid,
                                      reinterpret_cast<TOKEN_OWNER*>(defaultOwner)->Owner, administrators.Get(),
                                      system.Get()};
    return IsOwnedByOneOf(folder, owners);
}

bool IsEveryoneFullAccessOn(const std::wstring& setting)
{
    return ParseDecimalNumber(setting) != 0;
}

void GrantFolderAccess(const std::wstring& path)
{
    SystemFolderSecurity folder(path, READ_CONTROL | WRITE_DAC);
    if (!folder.IsOpen())
        return;
    if (IsEveryoneFullAccessOn(LoadResString(IDS_SETTING_EVERYONE_FULL_ACCESS)))
        GrantEveryoneAccess(folder);
    else
        RestrictFolderAccess(folder);
}
