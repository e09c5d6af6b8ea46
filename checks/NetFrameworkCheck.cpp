#include "app/BrennixInstallerApp.h"
#include "app/Log.h"
#include "checks/NetFrameworkDetection.h"
#include "checks/NetFrameworkRegistry.h"
#include "framework/StringTable.h"

bool CBrennixInstallerApp::CheckNetVersion()
{
    NetSettingTexts texts;
    for (size_t i = 0; i < kNetVersionCount; ++i)
        texts[i] = LoadResString(kNetSettingRows[i].entry);

    // Starts from the current fields, so that with every setting negative they keep their values.
    RequiredNetVersion required = {m_strRequiredNetName, m_nRequiredNetSP, m_nRequiredNetMajor, m_nRequiredNetMinor,
                                   m_nRequiredNetBuild};
    const bool installed =
        CheckNetFramework(texts, MachineNetRegistry(), required, [](const std::wstring& message) { WriteLog(message); });
    m_strRequiredNetName = required.name;
    m_nRequiredNetSP = required.sp;
    m_nRequiredNetMajor = required.major;
    m_nRequiredNetMinor = required.minor;
    m_nRequiredNetBuild = required.build;
    return installed;
}
