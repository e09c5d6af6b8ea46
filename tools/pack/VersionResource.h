// The version resource (RT_VERSION): a tree of nodes, each a key with a binary or text value and
// children. The root holds the fixed numbers (VS_FIXEDFILEINFO); "StringFileInfo" holds one
// table of named texts per language ("CompanyName", "ProductName", ...).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

struct VersionNode {
  std::u16string key;
  bool isText = false;     // wType 1: the value is UTF-16 text
  bool hasValue = false;
  std::vector<uint8_t> binary;  // the value of a binary node
  std::u16string text;          // the value of a text node, without its terminator
  std::vector<VersionNode> children;

  VersionNode* Child(const std::u16string& childKey);
};

// Four 16-bit numbers, most significant first: 2.3.5.2690.
using VersionNumber = std::array<uint16_t, 4>;

// Reads "A.B.C.D": exactly four decimal numbers from 0 to 65535. Returns false otherwise.
bool ParseVersionNumber(const std::string& text, VersionNumber& number);
std::u16string VersionText(const VersionNumber& number);

// The keys of the string tables Windows shows and documents, in a table.
bool IsVersionStringKey(const std::string& key);
std::string VersionStringKeys();  // "Comments, CompanyName, ..." for messages

// Reads a version resource. Fails, saying what, when a node's length runs past its parent or the
// root's value is not a VS_FIXEDFILEINFO.
PackResult DecodeVersionResource(const std::vector<uint8_t>& bytes, VersionNode& root);

// The bytes of a tree, with every length and the 32-bit alignment of keys, values and children
// laid out anew. Fails when a length does not fit its 16 bits (texts too long).
PackResult EncodeVersionResource(const VersionNode& root, std::vector<uint8_t>& bytes);

struct VersionEdits {
  bool setsNumber = false;
  VersionNumber number{};
  std::vector<std::pair<std::u16string, std::u16string>> strings;  // key, value
};

// Applies edits to a tree: the number becomes the fixed file and product version and the
// "FileVersion" and "ProductVersion" texts (unless strings names them); each string is set in
// every table of "StringFileInfo", which is made (for the first "Translation", else US English
// and Unicode) when the resource has none. Everything else keeps the stub's values.
void ApplyVersionEdits(const VersionEdits& edits, VersionNode& root);

}  // namespace brennix::pack
