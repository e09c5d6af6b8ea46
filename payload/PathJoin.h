#pragma once
// Path joining within the platform's MAX_PATH limit.
#include <string>

// Joins `more` to `base` with one backslash, as PathAppendW does, into `joined`. False, with
// `joined` cleared, when `base` is MAX_PATH characters or longer or the joined path does not
// fit MAX_PATH.
bool JoinPath(const std::wstring& base, const std::wstring& more, std::wstring& joined);
