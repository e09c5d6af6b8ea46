#pragma once
// A machine state for the .NET detection rules: the setup keys' values by key and name.
#include "checks/NetFrameworkDetection.h"

#include <map>
#include <string>
#include <utility>

class FakeNetRegistry : public NetRegistry {
public:
    FakeNetRegistry& Dword(const wchar_t* key, const wchar_t* value, int32_t number)
    {
        m_numbers[{key, value}] = number;
        return *this;
    }
    FakeNetRegistry& Text(const wchar_t* key, const wchar_t* value, const wchar_t* text)
    {
        m_texts[{key, value}] = text;
        return *this;
    }

    bool IsRegistryFlagSet(const wchar_t* key, const wchar_t* value) const override
    {
        const auto found = m_numbers.find({key, value});
        return found != m_numbers.end() && found->second == 1;
    }
    int32_t ReadRegistryDword(const wchar_t* key, const wchar_t* value) const override
    {
        const auto found = m_numbers.find({key, value});
        return found != m_numbers.end() ? found->second : -1;
    }
    bool ReadNetVersion(const wchar_t* key, NetVersion& version) const override
    {
        version = NetVersion();
        const auto found = m_texts.find({key, L"Version"});
        if (found == m_texts.end())
            return false;
        version = ParseNetVersion(found->second);
        return true;
    }

private:
    using Name = std::pair<std::wstring, std::wstring>;
    std::map<Name, int32_t> m_numbers;
    std::map<Name, std::wstring> m_texts;
};
