#include "payload/FolderAccess.h"

#include "payload/LinkCheck.h"

#include <aclapi.h>

namespace {

// The folder opened for its security, without following a link: the handle is then the link
// itself, and a link swapped in after the check cannot redirect the change.
class SystemFolderSecurity : public FolderSecurity {
public:
    explicit SystemFolderSecurity(const std::wstring& path)
        : m_path(path),
          m_folder(CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
    {
    }

    bool IsOpen() const { return m_folder.IsValid(); }

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

    DWORD WriteDacl(PACL dacl) override
    {
        return SetSecurityInfo(m_folder.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
    }

private:
    std::wstring m_path;
    FileHandle m_folder;
};

} // namespace

void GrantEveryoneAccess(FolderSecurity& folder)
{
    if (folder.IsLink())
        return;
    PACL oldDacl = nullptr;
    LocalMemory descriptor;
    if (folder.ReadDacl(oldDacl, descriptor) != ERROR_SUCCESS)
        return;

    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    SidHandle everyone;
    if (!AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.Receive()))
        return;

    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;  // replaces whatever the list said for Everyone
    access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    access.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(everyone.Get());

    PACL newDacl = nullptr;
    if (SetEntriesInAclW(1, &access, oldDacl, &newDacl) != ERROR_SUCCESS)
        return;
    LocalMemory newDaclOwner(newDacl);
    folder.WriteDacl(newDacl);
}

void GrantFolderAccess(const std::wstring& path)
{
    SystemFolderSecurity folder(path);
    if (folder.IsOpen())
        GrantEveryoneAccess(folder);
}
