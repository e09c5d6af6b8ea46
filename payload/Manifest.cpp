#include "payload/Manifest.h"

#include <limits>

namespace {
constexpr wchar_t kSeparator = L'*';

bool IsBlank(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}
} // namespace

std::wstring ManifestTokenizer::NextField()
{
    while (m_position < m_text.size() && m_text[m_position] == kSeparator)
        ++m_position;
    const size_t start = m_position;
    while (m_position < m_text.size() && m_text[m_position] != kSeparator)
        ++m_position;
    return m_text.substr(start, m_position - start);
}

int32_t ParseManifestNumber(const std::wstring& field)
{
    size_t i = 0;
    while (i < field.size() && IsBlank(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == L'+' || field[i] == L'-')) {
        negative = field[i] == L'-';
        ++i;
    }
    // Accumulated as a magnitude in 64 bits and clamped, so no digit string can overflow.
    constexpr int64_t kLimit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; i < field.size() && field[i] >= L'0' && field[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (field[i] - L'0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return magnitude >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

ResultCode ParseManifest(const std::wstring& text, ManifestMap& map)
{
    ManifestTokenizer fields(text);
    std::wstring idField = fields.NextField();
    while (!idField.empty()) {
        std::wstring name = fields.NextField();
        const uint32_t id = static_cast<uint32_t>(ParseManifestNumber(idField));
        if (name.empty())
            break;  // the text ended after an id: that id is ignored
        const int32_t size = ParseManifestNumber(fields.NextField());
        map[id] = CResourceFile{id, size, std::move(name)};
        idField = fields.NextField();
    }
    return Result::Ok;
}
