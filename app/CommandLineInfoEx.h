#pragma once
// The stub's reading of its command line: a dictionary of switches and properties, and the
// command line composed from it for the launched installer.
#include "framework/CommandLineInfo.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

// Name-to-value dictionary with case-sensitive names that keeps insertion order: a name keeps
// the place of its first insertion when its value is replaced. The order is the order in
// which entries reach the installer's command line.
class CSwitchMap {
public:
    using Entry = std::pair<std::wstring, std::wstring>;

    // True when `name` is present; its value is copied to `value`.
    bool Lookup(const std::wstring& name, std::wstring& value) const;
    bool Contains(const std::wstring& name) const;
    // Stores `value` under `name`, replacing an earlier value in place.
    void SetAt(const std::wstring& name, const std::wstring& value);
    // Removes `name`; nothing happens when it is absent.
    void RemoveKey(const std::wstring& name);

    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

class CCommandLineInfoEx : public CCommandLineInfo {
public:
    // Files one argument: a flag becomes a switch ("TRUE"), a value keyword (temp, extract,
    // log, products) waits for the next argument as its value, a CFU="..." property is
    // gathered over the arguments up to one ending in a double quote, any other word is a
    // bare entry with an empty value.
    void ParseParam(const wchar_t* param, bool isFlag, bool isLast) override;

    // True when `name` is present with a value equal to "TRUE" ignoring case.
    bool IsSwitchSet(const std::wstring& name) const;
    // Stores `value` under `name`, replacing any earlier value.
    void SetSwitchValue(const std::wstring& name, const std::wstring& value);

    // Composes the installer's command line into `commandLine`: every entry in dictionary
    // order as "/N " (value TRUE), "N " (empty value) or "/N \"V\" ", then the property
    // CV_I="programName". Trailing backslashes of a value and of the program name are doubled
    // so that the runtime's splitting keeps them and the closing quote; nothing else is
    // escaped. The result always ends with a space.
    void BuildCommandLine(const std::wstring& programName, std::wstring& commandLine) const;

    // Every switch and property, with its value.
    CSwitchMap m_mapSwitches;
    // The names that were written with "/" or "-"; only presence counts.
    std::set<std::wstring> m_mapFlags;
    // A value keyword waiting for its value; empty when none.
    std::wstring m_strPendingSwitch;
    // Inside a CFU property that spans several arguments.
    bool m_bInQuote = false;
    // The CFU property gathered so far.
    std::wstring m_strQuoted;
};
