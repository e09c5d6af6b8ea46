#include "payload/ProgramLaunch.h"

ResultCode RunProgram(const std::wstring&, const std::wstring&, int32_t* exitCode, HANDLE)
{
    *exitCode = 0;
    return Result::Ok;  // stands in until the launch lands
}
