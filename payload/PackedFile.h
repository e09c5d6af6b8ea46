#pragma once
// Writing a packed file (a "TOOLKIT" resource that holds a file record) from the setup file's
// packed stream: the thin Windows side of payload/PackedStream.h.
#include "app/ResultCode.h"
#include "payload/PackedStream.h"
#include "payload/Resource.h"

#include <windows.h>

#include <string>

// Opens the packed stream of `module`, when it has one (the named resource "PACKED").
void OpenPackedStream(HMODULE module, PackedStream& stream);

// Decodes the file `record` describes from `stream` into the open `file` at `path`. 0 after "%s
// written Ok\n"; 0x80040167 after "%s Unpacking has failed: %s\n" (with the decoder's error)
// when the stream is corrupt, truncated or does not match its records; what WriteFailed
// gives when a write fails; 0x80040167 after "%s Write file has failed\n" when the decoded length differs
// from the manifest's size (the file stays).
ResultCode WritePackedFile(HANDLE file, const std::wstring& path, const CResource& resource,
                           const PackedFileRecord& record, PackedStream& stream);
