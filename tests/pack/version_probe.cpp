// Test program: reports what GetFileVersionInfoW reads from a file, as Explorer's properties
// page would show it.
//   version_probe.exe REPORT FILE KEY...
// REPORT receives UTF-8 lines:
//   fixed FILE-VERSION PRODUCT-VERSION    the fixed numbers, as A.B.C.D
//   translation LANGUAGE CODEPAGE         the first translation, in hexadecimal
//   string KEY VALUE                      VerQueryValueW of each KEY in that translation's table
//   missing KEY                           for a KEY the table lacks
//   failed STEP ERROR                     when a call fails
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
  return out;
}

void PrintVersion(FILE* report, DWORD high, DWORD low) {
  std::fprintf(report, "%lu.%lu.%lu.%lu", high >> 16, high & 0xffff, low >> 16, low & 0xffff);
}

int Probe(FILE* report, const wchar_t* file, int keyCount, wchar_t** keys) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
  if (size == 0) {
    std::fprintf(report, "failed size %lu\n", GetLastError());
    return 1;
  }
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(file, 0, size, data.data())) {
    std::fprintf(report, "failed info %lu\n", GetLastError());
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
    std::fprintf(report, "failed fixed 0\n");
    return 1;
  }
  std::fprintf(report, "fixed ");
  PrintVersion(report, fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  std::fprintf(report, " ");
  PrintVersion(report, fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  std::fprintf(report, "\n");

  WORD* translation = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < 4) {
    std::fprintf(report, "failed translation 0\n");
    return 1;
  }
  std::fprintf(report, "translation %04x %04x\n", translation[0], translation[1]);
  for (int i = 0; i < keyCount; ++i) {
    wchar_t path[256];
    swprintf(path, 256, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], keys[i]);
    wchar_t* value = nullptr;
    if (VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&value), &length) && value != nullptr) {
      std::fprintf(report, "string %s %s\n", Utf8(keys[i]).c_str(), Utf8(value).c_str());
    } else {
      std::fprintf(report, "missing %s\n", Utf8(keys[i]).c_str());
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  FILE* report = _wfopen(argv[1], L"wb");
  if (report == nullptr) return 2;
  const int result = Probe(report, argv[2], argc - 3, argv + 3);
  std::fclose(report);
  return result;
}
