#include "payload/FilePath.h"

#include "app/Log.h"
#include "payload/PathJoin.h"
#include "payload/TempFolder.h"

bool GetFilePath(const CResource& resource, std::wstring& path)
{
    path.clear();
    std::wstring workFolder;
    if (!GetTempFolder(workFolder))
        return false;
    if (!JoinPath(workFolder, resource.m_strFileName, path)) {
        WriteLogFormat(L"File path too long '%s'\n", resource.m_strFileName.c_str());
        return false;
    }
    return true;
}
