#include "tools/pack/TextEncoding.h"

#include <cstdio>

namespace brennix::pack {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves the byte undefined.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

bool DecodeUtf8(const std::string& text, std::u32string& codePoints) {
  codePoints.clear();
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      length = 1, value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    codePoints.push_back(value);
    i += length;
  }
  return true;
}

std::u16string EncodeUtf16(const std::u32string& codePoints) {
  std::u16string units;
  for (char32_t value : codePoints) {
    if (value < 0x10000) {
      units.push_back(static_cast<char16_t>(value));
    } else {
      value -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
    }
  }
  return units;
}

std::wstring ToWide(const std::u32string& codePoints) {
  if constexpr (sizeof(wchar_t) == 2) {
    const std::u16string units = EncodeUtf16(codePoints);
    return std::wstring(units.begin(), units.end());
  } else {
    return std::wstring(codePoints.begin(), codePoints.end());
  }
}

std::string Utf16ToUtf8(const char16_t* text) {
  std::string out;
  for (size_t i = 0; text[i] != 0; ++i) {
    char32_t value = text[i];
    if (value >= 0xD800 && value <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = 0xFFFD;
    }
    if (value < 0x80) {
      out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (value >> 6)));
      out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (value >> 12)));
      out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (value >> 18)));
      out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
  }
  return out;
}

bool EncodeWindows1252(const std::u32string& codePoints, std::string& bytes, char32_t& unencodable) {
  bytes.clear();
  for (char32_t value : codePoints) {
    if (value < 0x80 || (value >= 0xA0 && value <= 0xFF)) {
      bytes.push_back(static_cast<char>(value));
      continue;
    }
    int found = -1;
    for (int k = 0; k < 32 && value != 0; ++k) {
      if (kWindows1252High[k] == value) found = k;
    }
    if (found < 0) {
      unencodable = value;
      return false;
    }
    bytes.push_back(static_cast<char>(0x80 + found));
  }
  return true;
}

std::string DescribeCodePoint(char32_t codePoint) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
  return text;
}

}  // namespace brennix::pack
