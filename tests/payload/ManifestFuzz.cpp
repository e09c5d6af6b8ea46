// Fuzzes the manifest parser and the file-name checks with arbitrary text: no crash, no
// sanitizer report, and every stored entry keeps the shape the tokenizer promises.
#include "payload/Manifest.h"
#include "payload/ProgramFile.h"
#include "payload/RelativeName.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bytes as the stub's ANSI reading gives them: one character each, zero bytes included.
    std::wstring text(data, data + size);
    ManifestMap map;
    if (ParseManifest(text, map) != Result::Ok)
        abort();
    for (const auto& [id, entry] : map) {
        if (entry.m_nId != id || entry.m_strFileName.empty() || entry.m_strFileName.find(L'*') != std::wstring::npos)
            abort();
        CResource resource(id, L"TOOLKIT", nullptr);
        resource.m_strFileName = entry.m_strFileName;
        IsProgramFile(resource);
        IsNameInsideFolder(entry.m_strFileName);
    }
    return 0;
}
