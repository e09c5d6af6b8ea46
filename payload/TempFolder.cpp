#include "payload/TempFolder.h"

ResultCode ProbeTempFolder(const std::wstring&)
{
    return Result::Ok;  // stands in until the temp folder lands
}

void SetZeroGuid() {}

void GetTempFolder(std::wstring& path)
{
    path.clear();
}

ResultCode RemoveTempFolder(const ResourceList&)
{
    return Result::Ok;
}
