#pragma once
// Which folder a run without a temp option works under: the first candidate short enough to
// leave room for the working folder and the payload's own paths below it.
#include <cstddef>
#include <optional>
#include <string>

// What the platform answered for each candidate; nullopt when the query failed.
struct DefaultTempCandidates {
    std::optional<std::wstring> tempPath;       // the user's temp folder
    std::optional<std::wstring> appData;        // the user's roaming application data
    std::optional<std::wstring> commonAppData;  // the application data of all users
};

enum class DefaultTempSource {
    TempPath,
    AppData,
    CommonAppData,
    CommonAppDataWithCompanyFolder,  // the common folder with "\Corvane" appended
    SystemDrive,                     // the SystemDrive environment variable
};

// A candidate is taken when it has at most this many characters.
constexpr size_t kMaxDefaultTempFolderLength = 100;
// The common folder gets the company folder appended when it is shorter than this.
constexpr size_t kCompanyFolderLengthLimit = 90;

// Picks the first candidate that answered with at most 100 characters, in the order temp
// path, application data, common application data (with the company folder appended when
// under 90 characters); the system drive when none does.
DefaultTempSource ChooseDefaultTempFolder(const DefaultTempCandidates& candidates);
