// Test program: reports, through the real Windows loader, the resources of a packed file.
//   pack_probe.exe REPORT MODULE [STRING-ID ...]
// MODULE is a file loaded as an image resource, or "self" for this running program (a packed
// copy of the probe, mapped and started by the loader). REPORT receives UTF-8 lines:
//   resource TYPE NAME LANGUAGE SIZE CRC32     every resource, in enumeration order
//   string ID LENGTH HEX-UTF16                 LoadStringW's answer for each STRING-ID
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Probe {
  HMODULE module = nullptr;
  FILE* report = nullptr;
};

// CRC-32 as zlib computes it, table-driven: the tests read resources of a gigabyte.
unsigned long Crc32(const unsigned char* bytes, DWORD size) {
  static unsigned long table[256];
  if (table[1] == 0) {
    for (unsigned long n = 0; n < 256; ++n) {
      unsigned long c = n;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320ul & (0ul - (c & 1)));
      table[n] = c;
    }
  }
  unsigned long crc = 0xFFFFFFFFul;
  for (DWORD i = 0; i < size; ++i) crc = (crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFF];
  return crc ^ 0xFFFFFFFFul;
}

std::string KeyText(LPCWSTR key) {
  if (IS_INTRESOURCE(key)) return std::to_string(reinterpret_cast<ULONG_PTR>(key));
  char text[512];
  const int length = WideCharToMultiByte(CP_UTF8, 0, key, -1, text, sizeof text, nullptr, nullptr);
  return length > 0 ? std::string("\"") + text + "\"" : std::string("?");
}

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR context) {
  Probe* probe = reinterpret_cast<Probe*>(context);
  HRSRC found = FindResourceExW(module, type, name, language);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const unsigned char* bytes = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  const DWORD size = found ? SizeofResource(module, found) : 0;
  std::fprintf(probe->report, "resource %s %s %u %lu %08lx\n", KeyText(type).c_str(), KeyText(name).c_str(),
               static_cast<unsigned>(language), static_cast<unsigned long>(size),
               bytes ? Crc32(bytes, size) : 0ul);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, context);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR context) {
  EnumResourceNamesW(module, type, OnName, context);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  Probe probe;
  probe.report = _wfopen(argv[1], L"wb");
  if (!probe.report) return 3;
  if (std::wcscmp(argv[2], L"self") == 0) {
    probe.module = GetModuleHandleW(nullptr);
  } else {
    probe.module = LoadLibraryExW(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  if (!probe.module) {
    std::fprintf(probe.report, "load-failed %lu\n", GetLastError());
    std::fclose(probe.report);
    return 4;
  }
  EnumResourceTypesW(probe.module, OnType, reinterpret_cast<LONG_PTR>(&probe));
  for (int i = 3; i < argc; ++i) {
    const UINT id = static_cast<UINT>(_wtoi(argv[i]));
    wchar_t buffer[4096];
    buffer[0] = 0;
    const int length = LoadStringW(probe.module, id, buffer, 4096);
    std::fprintf(probe.report, "string %u %d ", id, length);
    for (int k = 0; k < length; ++k) std::fprintf(probe.report, "%04x", static_cast<unsigned>(buffer[k]));
    std::fprintf(probe.report, "\n");
  }
  std::fclose(probe.report);
  return 0;
}
