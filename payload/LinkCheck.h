#pragma once
// Junctions and symbolic links on the way to a file. An elevated stub must not be steered
// through one into a folder it was never meant to write.
#include <string>

// True when `path` exists and is a junction, symbolic link or other name-surrogate reparse
// point (IsLinkEntry): a cloud-file placeholder or deduplicated file is not a link.
bool IsLink(const std::wstring& path);

// True when a subfolder of `relativeName` below `folder`, or the named file itself, exists as
// a link.
bool IsReachedThroughLink(const std::wstring& folder, const std::wstring& relativeName);
