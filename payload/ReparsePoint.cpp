#include "payload/ReparsePoint.h"

namespace {
constexpr uint32_t kReparsePointAttribute = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
constexpr uint32_t kNameSurrogateBit = 0x20000000;  // as IsReparseTagNameSurrogate tests it
} // namespace

bool IsLinkEntry(uint32_t attributes, uint32_t reparseTag)
{
    if ((attributes & kReparsePointAttribute) == 0)
        return false;
    return reparseTag == 0 || (reparseTag & kNameSurrogateBit) != 0;
}
