#include "payload/Extraction.h"

ResultCode EnumerateResources(HMODULE, ResourceList&, std::wstring& programPath)
{
    programPath.clear();
    return Result::Ok;  // stands in until the extraction lands
}
