// The working folder's access list, through the FolderSecurity seam: Wine only maps access
// lists to Unix modes, so what the list holds afterwards is read here from the DACL the change
// writes, made by the real SetEntriesInAclW. On Windows the same DACL lands on the folder and
// every file unpacked below it inherits its entries, so another local user can read and run the
// unpacked files but cannot replace one before the elevated stub starts it.
#include "payload/FolderAccess.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <vector>

namespace {

struct Sid {
    Sid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD first, DWORD second = 0)
    {
        AllocateAndInitializeSid(&authority, count, first, second, 0, 0, 0, 0, 0, 0, &sid);
    }
    ~Sid() { FreeSid(sid); }
    PSID sid = nullptr;
};

Sid Everyone() { return Sid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID); }
Sid Administrators() { return Sid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS); }
Sid System() { return Sid(SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID); }
Sid Users() { return Sid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS); }
Sid SomeUser() { return Sid(SECURITY_NT_AUTHORITY, 2, SECURITY_NT_NON_UNIQUE, 1001); }

struct Ace {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    std::vector<BYTE> sid;
};

std::vector<Ace> ReadAces(const std::vector<BYTE>& aclBytes)
{
    std::vector<Ace> aces;
    auto* acl = reinterpret_cast<const ACL*>(aclBytes.data());
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* raw = nullptr;
        GetAce(const_cast<ACL*>(acl), i, &raw);
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(raw);
        PSID sid = &allowed->SidStart;
        const BYTE* sidBytes = static_cast<const BYTE*>(sid);
        aces.push_back({allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask,
                        std::vector<BYTE>(sidBytes, sidBytes + GetLengthSid(sid))});
    }
    return aces;
}

bool SameSid(const std::vector<BYTE>& bytes, PSID sid)
{
    return bytes.size() == GetLengthSid(sid) && EqualSid(const_cast<BYTE*>(bytes.data()), sid);
}

// A folder's security as a test sets it up: a starting DACL and owner, a link flag, a read
// that fails.
class FakeFolder : public FolderSecurity {
public:
    bool IsLink() override { return m_isLink; }

    DWORD ReadOwner(PSID& owner, LocalMemory& descriptor) override
    {
        ++m_reads;
        if (m_readError != ERROR_SUCCESS)
            return m_readError;
        const DWORD length = GetLengthSid(m_owner);
        void* copy = LocalAlloc(LMEM_FIXED, length);
        CopySid(length, copy, m_owner);
        descriptor.Reset(copy);
        owner = copy;
        return ERROR_SUCCESS;
    }

    DWORD ReadDacl(PACL& dacl, LocalMemory& descriptor) override
    {
        ++m_reads;
        if (m_readError != ERROR_SUCCESS)
            return m_readError;
        // As the platform does: the DACL lives inside one local allocation the caller frees.
        void* copy = LocalAlloc(LMEM_FIXED, m_startDacl.size());
        memcpy(copy, m_startDacl.data(), m_startDacl.size());
        descriptor.Reset(copy);
        dacl = static_cast<PACL>(copy);
        return ERROR_SUCCESS;
    }

    DWORD WriteDacl(PACL dacl, bool protectedList) override
    {
        m_protected = protectedList;
        ACL_SIZE_INFORMATION size = {};
        GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(dacl);
        m_written.assign(bytes, bytes + size.AclBytesInUse);
        ++m_writes;
        return ERROR_SUCCESS;
    }

    void StartWith(std::initializer_list<std::pair<PSID, ACCESS_MASK>> entries)
    {
        m_startDacl.assign(1024, 0);
        auto* acl = reinterpret_cast<PACL>(m_startDacl.data());
        InitializeAcl(acl, 1024, ACL_REVISION);
        for (const auto& [sid, mask] : entries)
            AddAccessAllowedAceEx(acl, ACL_REVISION, 0, mask, sid);
    }

    bool m_isLink = false;
    PSID m_owner = nullptr;
    bool m_protected = false;
    DWORD m_readError = ERROR_SUCCESS;
    std::vector<BYTE> m_startDacl;
    std::vector<BYTE> m_written;
    int m_reads = 0;
    int m_writes = 0;
};

TEST(RestrictFolderAccess, EveryoneReadsAndRunsWhileOwnerAdministratorsAndSystemKeepFullControl)
{
    Sid owner = SomeUser(), administrators = Administrators(), system = System(), everyone = Everyone(), users = Users();
    FakeFolder folder;
    folder.m_owner = owner.sid;
    // A shared temp folder that lets users add files, and Everyone writing: neither stays.
    folder.StartWith({{users.sid, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY}, {everyone.sid, FILE_ALL_ACCESS}});

    RestrictFolderAccess(folder);

    ASSERT_EQ(folder.m_writes, 1);
    EXPECT_TRUE(folder.m_protected) << "entries from the parent folder no longer apply";
    const std::vector<Ace> aces = ReadAces(folder.m_written);
    ASSERT_EQ(aces.size(), 4u);
    const struct {
        PSID sid;
        ACCESS_MASK mask;
    } expected[] = {
        {owner.sid, GENERIC_ALL},
        {administrators.sid, GENERIC_ALL},
        {system.sid, GENERIC_ALL},
        {everyone.sid, GENERIC_READ | GENERIC_EXECUTE},
    };
    for (const auto& wanted : expected) {
        int found = 0;
        for (const Ace& ace : aces) {
            if (!SameSid(ace.sid, wanted.sid))
                continue;
            ++found;
            EXPECT_EQ(ace.type, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(ace.mask, wanted.mask);
            EXPECT_EQ(ace.flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << "inherited by files and subfolders";
        }
        EXPECT_EQ(found, 1);
    }
    // What Everyone's entry maps to on files: read and execute, none of the rights that change them.
    GENERIC_MAPPING files = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    ACCESS_MASK everyoneRights = GENERIC_READ | GENERIC_EXECUTE;
    MapGenericMask(&everyoneRights, &files);
    const ACCESS_MASK changing = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA | DELETE |
                                 FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER;
    EXPECT_EQ(everyoneRights & changing, 0u);
    EXPECT_EQ(everyoneRights & (FILE_READ_DATA | FILE_EXECUTE), static_cast<ACCESS_MASK>(FILE_READ_DATA | FILE_EXECUTE));
}

TEST(RestrictFolderAccess, LeavesALinkAndAFolderWithoutReadableOwnerAlone)
{
    Sid owner = SomeUser();
    FakeFolder link;
    link.m_isLink = true;
    link.m_owner = owner.sid;
    RestrictFolderAccess(link);
    EXPECT_EQ(link.m_reads, 0);
    EXPECT_EQ(link.m_writes, 0);

    FakeFolder unreadable;
    unreadable.m_readError = ERROR_ACCESS_DENIED;
    RestrictFolderAccess(unreadable);
    EXPECT_EQ(unreadable.m_reads, 1);
    EXPECT_EQ(unreadable.m_writes, 0);
}

// Windows gives a folder that another, unprivileged user made the owner that user; Wine makes
// every folder the process user's, so the refusal is shown through the fake.
TEST(IsOwnedByOneOf, AFolderAnotherUserOwnsIsNotThisRuns)
{
    Sid someUser = SomeUser(), administrators = Administrators(), system = System();
    const std::vector<PSID> owners = {administrators.sid, system.sid};

    FakeFolder planted;
    planted.m_owner = someUser.sid;
    EXPECT_FALSE(IsOwnedByOneOf(planted, owners));

    FakeFolder ours;
    ours.m_owner = administrators.sid;
    EXPECT_TRUE(IsOwnedByOneOf(ours, owners));

    FakeFolder withoutAccessList;  // e.g. on FAT: there is no owner to read
    withoutAccessList.m_readError = ERROR_NOT_SUPPORTED;
    EXPECT_TRUE(IsOwnedByOneOf(withoutAccessList, owners));
}

TEST(IsEveryoneFullAccessOn, OnlyANumberOtherThanZeroTurnsItOn)
{
    EXPECT_FALSE(IsEveryoneFullAccessOn(L""));
    EXPECT_FALSE(IsEveryoneFullAccessOn(L"0"));
    EXPECT_FALSE(IsEveryoneFullAccessOn(L"no"));
    EXPECT_TRUE(IsEveryoneFullAccessOn(L"1"));
    EXPECT_TRUE(IsEveryoneFullAccessOn(L" 2"));
}

TEST(GrantEveryoneAccess, AddsInheritedFullAccessForEveryoneAndKeepsTheRest)
{
    Sid everyone = Everyone(), administrators = Administrators();
    FakeFolder folder;
    folder.StartWith({{administrators.sid, FILE_ALL_ACCESS}});

    GrantEveryoneAccess(folder);

    ASSERT_EQ(folder.m_writes, 1);
    EXPECT_FALSE(folder.m_protected) << "the parent's entries still apply";
    const std::vector<Ace> aces = ReadAces(folder.m_written);
    ASSERT_EQ(aces.size(), 2u);
    int everyoneEntries = 0;
    for (const Ace& ace : aces) {
        EXPECT_EQ(ace.type, ACCESS_ALLOWED_ACE_TYPE);
        if (SameSid(ace.sid, everyone.sid)) {
            ++everyoneEntries;
            EXPECT_EQ(ace.mask, static_cast<ACCESS_MASK>(GENERIC_ALL));
            EXPECT_EQ(ace.flags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << "inherited by files and subfolders";
        } else {
            EXPECT_TRUE(SameSid(ace.sid, administrators.sid));
            EXPECT_EQ(ace.mask, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
        }
    }
    EXPECT_EQ(everyoneEntries, 1);
}

TEST(GrantEveryoneAccess, ReplacesAnEarlierEntryForEveryone)
{
    Sid everyone = Everyone();
    FakeFolder folder;
    folder.StartWith({{everyone.sid, FILE_GENERIC_READ}});

    GrantEveryoneAccess(folder);

    const std::vector<Ace> aces = ReadAces(folder.m_written);
    ASSERT_EQ(aces.size(), 1u);
    EXPECT_TRUE(SameSid(aces[0].sid, everyone.sid));
    EXPECT_EQ(aces[0].mask, static_cast<ACCESS_MASK>(GENERIC_ALL));
}

TEST(GrantEveryoneAccess, LeavesALinkAndAnUnreadableListAlone)
{
    FakeFolder link;
    link.m_isLink = true;
    link.StartWith({});
    GrantEveryoneAccess(link);
    EXPECT_EQ(link.m_reads, 0) << "a link's list is not even read";
    EXPECT_EQ(link.m_writes, 0);

    FakeFolder unreadable;
    unreadable.m_readError = ERROR_ACCESS_DENIED;
    GrantEveryoneAccess(unreadable);
    EXPECT_EQ(unreadable.m_reads, 1);
    EXPECT_EQ(unreadable.m_writes, 0);
}

TEST(GrantFolderAccess, DoesNoHarmToARealFolderUnderWine)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"brennix-folder-access-test";
    CreateDirectoryW(folder.c_str(), nullptr);

    EXPECT_TRUE(IsFolderOwnedByThisRun(folder)) << "a folder this process made";
    GrantFolderAccess(folder);
    EXPECT_TRUE(IsFolderOwnedByThisRun(folder)) << "and still, with its new access list";

    const std::wstring file = folder + L"\\inside.txt";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "the folder is still writable";
    CloseHandle(handle);
    EXPECT_TRUE(DeleteFileW(file.c_str()));
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << "and still removable";
}

} // namespace
