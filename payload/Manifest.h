#pragma once
// The payload manifest (resource "TOOLKIT" 101): "*"-separated triples of resource id, file
// name and size that say which resource becomes which file. Platform-free.
#include "app/ResultCode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

// One manifest entry. A default-made entry is 0, 0 and empty.
struct CResourceFile {
    uint32_t m_nId = 0;
    int32_t m_nSize = 0;
    std::wstring m_strFileName;
};

// Manifest entries by resource id; storing an id again replaces the whole entry.
using ManifestMap = std::unordered_map<uint32_t, CResourceFile>;

// Hands out the fields of a manifest text one at a time. A run of "*" separates two fields
// and "*" at the start is skipped, so a field is never empty; once the text is used up every
// further call returns the empty string.
class ManifestTokenizer {
public:
    explicit ManifestTokenizer(const std::wstring& text) : m_text(text) {}

    std::wstring NextField();

private:
    const std::wstring& m_text;
    size_t m_position = 0;
};

// Reads a decimal number the way the runtime's wide conversion does: leading white space
// skipped, an optional sign, digits up to the first other character; 0 without digits.
// Values beyond the 32-bit range stop at its ends.
int32_t ParseManifestNumber(const std::wstring& field);

// Parses the triples of `text` into `map`. A trailing id without a name is ignored; a name
// without a size field is stored with size 0. Always returns 0.
ResultCode ParseManifest(const std::wstring& text, ManifestMap& map);
