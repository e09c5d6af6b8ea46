#pragma once
// Which reparse points are links. Platform-free.
#include <cstdint>

// True when an entry with these attributes and reparse tag is a link that leads elsewhere: a
// junction, a symbolic link or any other name-surrogate reparse point. Cloud-file placeholders,
// deduplicated and compressed-on-disk files are reparse points too, but hold their own data and
// count as ordinary files. A reparse point whose tag is not known (0, as some platforms and
// listings report it) counts as a link, since nothing shows that it is safe to follow.
bool IsLinkEntry(uint32_t attributes, uint32_t reparseTag);
