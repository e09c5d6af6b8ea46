#include "tools/pack/VersionResource.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <iterator>

#include "tools/pack/LittleEndian.h"

namespace brennix::pack {

namespace {

constexpr size_t kNodeHeaderSize = 6;  // wLength, wValueLength, wType
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;
constexpr size_t kFileVersionAt = 8;     // dwFileVersionMS, dwFileVersionLS
constexpr size_t kProductVersionAt = 16; // dwProductVersionMS, dwProductVersionLS
constexpr size_t kMaxDepth = 8;          // the format nests four deep

const char* const kStringKeys[] = {"Comments",         "CompanyName",     "FileDescription", "FileVersion",
                                   "InternalName",     "LegalCopyright",  "LegalTrademarks", "OriginalFilename",
                                   "PrivateBuild",     "ProductName",     "ProductVersion",  "SpecialBuild"};

std::u16string Ascii16(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

size_t Align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

PackResult Malformed(const std::string& what) { return PackResult::Fail("the version resource is malformed (" + what + ")"); }

PackResult DecodeNode(const std::vector<uint8_t>& bytes, size_t start, size_t limit, size_t depth, VersionNode& node) {
  if (depth > kMaxDepth) return Malformed("nested too deeply");
  if (limit - start < kNodeHeaderSize) return Malformed("a node is truncated");
  const size_t length = ReadU16(&bytes[start]);
  const size_t valueLength = ReadU16(&bytes[start + 2]);
  const uint16_t type = ReadU16(&bytes[start + 4]);
  if (length < kNodeHeaderSize || length > limit - start) return Malformed("a node's length runs past its parent");
  const size_t end = start + length;
  size_t at = start + kNodeHeaderSize;
  for (;; at += 2) {
    if (at + 2 > end) return Malformed("a key has no end");
    const char16_t unit = static_cast<char16_t>(ReadU16(&bytes[at]));
    if (unit == 0) break;
    node.key.push_back(unit);
  }
  at = std::min(Align4(at + 2), end);
  node.isText = type == 1;
  node.hasValue = valueLength != 0;
  // Text lengths count UTF-16 units; some compilers wrote bytes, so a text stops at its terminator.
  const size_t valueBytes = std::min(node.isText ? valueLength * 2 : valueLength, end - at);
  if (node.isText) {
    for (size_t i = 0; i + 1 < valueBytes; i += 2) {
      const char16_t unit = static_cast<char16_t>(ReadU16(&bytes[at + i]));
      if (unit == 0) break;
      node.text.push_back(unit);
    }
  } else {
    node.binary.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + valueBytes));
  }
  for (at = Align4(at + valueBytes); at + kNodeHeaderSize <= end; at = Align4(at)) {
    VersionNode child;
    if (PackResult result = DecodeNode(bytes, at, end, depth + 1, child); !result) return result;
    at += ReadU16(&bytes[at]);
    node.children.push_back(std::move(child));
  }
  return PackResult::Ok();
}

void PadTo4(std::vector<uint8_t>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// Appends node; out's size is a multiple of 4 where the node starts. Returns false when a length
// does not fit its 16 bits.
bool EncodeNode(const VersionNode& node, std::vector<uint8_t>& out) {
  const size_t start = out.size();
  AppendU16(out, 0);  // length, filled in below
  const size_t valueLength = !node.hasValue ? 0 : node.isText ? node.text.size() + 1 : node.binary.size();
  if (valueLength > 0xffff) return false;
  AppendU16(out, static_cast<uint16_t>(valueLength));
  AppendU16(out, node.isText ? 1 : 0);
  for (char16_t unit : node.key) AppendU16(out, unit);
  AppendU16(out, 0);
  PadTo4(out);
  if (node.hasValue && node.isText) {
    for (char16_t unit : node.text) AppendU16(out, unit);
    AppendU16(out, 0);
  } else if (node.hasValue) {
    out.insert(out.end(), node.binary.begin(), node.binary.end());
  }
  for (const VersionNode& child : node.children) {
    PadTo4(out);
    if (!EncodeNode(child, out)) return false;
  }
  if (out.size() - start > 0xffff) return false;
  WriteU16(&out[start], static_cast<uint16_t>(out.size() - start));
  return true;
}

VersionNode TextNode(std::u16string key, std::u16string text) {
  VersionNode node;
  node.key = std::move(key);
  node.isText = true;
  node.hasValue = true;
  node.text = std::move(text);
  return node;
}

void SetString(VersionNode& table, const std::u16string& key, const std::u16string& value) {
  if (VersionNode* existing = table.Child(key)) {
    existing->isText = true;
    existing->hasValue = true;
    existing->text = value;
    return;
  }
  table.children.push_back(TextNode(key, value));
}

// The table name for a language and code page: "040904b0".
std::u16string TableName(uint16_t language, uint16_t codePage) {
  char name[9];
  std::snprintf(name, sizeof name, "%04x%04x", language, codePage);
  return Ascii16(name);
}

// An empty string table for the resource's first "Translation", else US English and Unicode.
VersionNode NewStringTable(VersionNode& root) {
  VersionNode table;
  table.key = TableName(0x0409, 1200);
  table.isText = true;
  if (VersionNode* var = root.Child(u"VarFileInfo")) {
    if (VersionNode* translation = var->Child(u"Translation"); translation && translation->binary.size() >= 4) {
      table.key = TableName(ReadU16(&translation->binary[0]), ReadU16(&translation->binary[2]));
    }
  }
  return table;
}

// The string tables to edit: every one the resource has, or a new one.
std::vector<VersionNode>& StringTables(VersionNode& root) {
  VersionNode* info = root.Child(u"StringFileInfo");
  if (info == nullptr) {
    VersionNode fresh;
    fresh.key = u"StringFileInfo";
    fresh.isText = true;
    root.children.insert(root.children.begin(), std::move(fresh));
    info = &root.children.front();
  }
  if (info->children.empty()) info->children.push_back(NewStringTable(root));
  return info->children;
}

}  // namespace

VersionNode* VersionNode::Child(const std::u16string& childKey) {
  for (VersionNode& child : children) {
    if (child.key == childKey) return &child;
  }
  return nullptr;
}

bool ParseVersionNumber(const std::string& text, VersionNumber& number) {
  size_t part = 0;
  uint32_t value = 0;
  size_t digits = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '.') {
      if (digits == 0 || part >= number.size()) return false;
      number[part++] = static_cast<uint16_t>(value);
      value = 0;
      digits = 0;
      continue;
    }
    if (text[i] < '0' || text[i] > '9' || ++digits > 5) return false;
    value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    if (value > 0xffff) return false;
  }
  return part == number.size();
}

std::u16string VersionText(const VersionNumber& number) {
  std::string text;
  for (size_t i = 0; i < number.size(); ++i) text += (i ? "." : "") + std::to_string(number[i]);
  return Ascii16(text.c_str());
}

bool IsVersionStringKey(const std::string& key) {
  return std::find(std::begin(kStringKeys), std::end(kStringKeys), key) != std::end(kStringKeys);
}

std::string VersionStringKeys() {
  std::string list;
  for (const char* key : kStringKeys) list += (list.empty() ? "" : ", ") + std::string(key);
  return list;
}

PackResult DecodeVersionResource(const std::vector<uint8_t>& bytes, VersionNode& root) {
  root = VersionNode();
  if (PackResult result = DecodeNode(bytes, 0, bytes.size(), 0, root); !result) return result;
  if (root.isText || root.binary.size() != kFixedInfoSize || ReadU32(root.binary.data()) != kFixedInfoSignature) {
    return Malformed("no fixed version numbers");
  }
  return PackResult::Ok();
}

PackResult EncodeVersionResource(const VersionNode& root, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (!EncodeNode(root, bytes)) return PackResult::Fail("the version texts do not fit a version resource (64 KiB)");
  return PackResult::Ok();
}

void ApplyVersionEdits(const VersionEdits& edits, VersionNode& root) {
  std::vector<std::pair<std::u16string, std::u16string>> strings;
  if (edits.setsNumber) {
    const uint32_t high = (static_cast<uint32_t>(edits.number[0]) << 16) | edits.number[1];
    const uint32_t low = (static_cast<uint32_t>(edits.number[2]) << 16) | edits.number[3];
    for (size_t at : {kFileVersionAt, kProductVersionAt}) {
      WriteU32(&root.binary[at], high);
      WriteU32(&root.binary[at + 4], low);
    }
    strings.emplace_back(u"FileVersion", VersionText(edits.number));
    strings.emplace_back(u"ProductVersion", VersionText(edits.number));
  }
  strings.insert(strings.end(), edits.strings.begin(), edits.strings.end());  // named texts win
  if (strings.empty()) return;
  for (VersionNode& table : StringTables(root)) {
    for (const auto& [key, value] : strings) SetString(table, key, value);
  }
}

}  // namespace brennix::pack
