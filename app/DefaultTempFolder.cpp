#include "app/DefaultTempFolder.h"

namespace {

bool IsShortEnough(const std::optional<std::wstring>& candidate)
{
    return candidate.has_value() && candidate->size() <= kMaxDefaultTempFolderLength;
}

} // namespace

DefaultTempSource ChooseDefaultTempFolder(const DefaultTempCandidates& candidates)
{
    if (IsShortEnough(candidates.tempPath))
        return DefaultTempSource::TempPath;
    if (IsShortEnough(candidates.appData))
        return DefaultTempSource::AppData;
    if (IsShortEnough(candidates.commonAppData)) {
        return candidates.commonAppData->size() < kCompanyFolderLengthLimit
                   ? DefaultTempSource::CommonAppDataWithCompanyFolder
                   : DefaultTempSource::CommonAppData;
    }
    return DefaultTempSource::SystemDrive;
}
