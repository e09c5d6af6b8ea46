#include "payload/Manifest.h"

#include "framework/DecimalNumber.h"

namespace {
constexpr wchar_t kSeparator = L'*';
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
    return ParseDecimalNumber(field);
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
