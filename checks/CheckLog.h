#pragma once
// Where the platform-free part of a check writes its log lines: the diagnostic log in the
// program, a list of lines in the tests. Each call gets one complete message.
#include <functional>
#include <string>

using CheckLog = std::function<void(const std::wstring& message)>;
