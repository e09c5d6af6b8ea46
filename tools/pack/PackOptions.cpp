#include "tools/pack/PackOptions.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "tools/pack/Manifest.h"
#include "tools/pack/TextEncoding.h"

namespace brennix::pack {

namespace {

constexpr uint32_t kMaxStringLength = 0xffff;  // a string-table entry's length is 16-bit

const char* const kValueOptions[] = {"--stub", "--out", "--payload", "--program", "--manifest-file",
                                     "--file", "--resource", "--set", "--unset", "--level"};

const char kUsage[] = R"(Usage: brennix-pack --stub STUB.exe --out SETUP.exe [options] [@FILE...]

Makes a setup file from a built stub by writing the payload and settings into its resources.
The stub is not changed; SETUP.exe is written only when everything succeeds. The stub is the
shipped 32-bit one (PE32, i386); a 64-bit stub built from the same sources (PE32+, x86-64) is
accepted too.

Payload (resources of type TOOLKIT; any of these replaces the stub's own TOOLKIT resources):
  --payload DIR           every file under DIR becomes a TOOLKIT resource, with ids from 102 up
                          (ids taken by --file and --resource TOOLKIT/N are skipped); files in
                          subfolders get backslash-separated names; empty folders are not carried
  --program REL           the file below DIR that the setup file launches (default: the one .exe
                          at the top of DIR); it gets the lowest payload id, so the stub picks it
  --file ID=NAME=PATH     one resource with an explicit id (1-65535) and manifest file name NAME
                          (may hold backslashes for subfolders, not "=")
  --manifest-file PATH    resource TOOLKIT 101 verbatim from PATH instead of a generated manifest
  --no-manifest           no resource 101 at all
Without --manifest-file or --no-manifest, resource 101 lists every --payload and --file entry as
id*name*size.

Compression (of the --payload and --file entries):
  (default)               all files in one solid zstd stream, long-range matching over a 128 MiB
                          window, x86 branch filter on PE files; each file's resource holds only
                          where its bytes are in the stream; the ratio reached is printed
  --level N               effort from 1 (fastest) to 22 (smallest); default 19
  --store                 every file raw in its own resource, as the stub reads it without a stream
 Names are stored in Windows-1252: ASCII names read the same on every Windows
system, other characters only where the ANSI code page is 1252; names Windows-1252 cannot hold
are refused.

Other resources:
  --resource TYPE/NAME=PATH   any resource verbatim from PATH; TYPE and NAME are numbers (1-65535;
                          standard types are numbers, e.g. 2 bitmap, 24 manifest) or ASCII names,
                          stored upper-case as the resource compiler does (e.g. TOOLKIT/readme).
                          An existing resource of that type and name is replaced.

String table (application name and settings):
  --set ID=TEXT           entry ID (0-65535) becomes TEXT (UTF-8)
  --unset ID              entry ID becomes empty
Entries keep the language of their block in the stub.

Branding (the setup file's icon, pictures and file properties):
  --icon FILE.ico         icon group 5 and its images become those of FILE.ico (every size and
                          depth it holds): the icon of the file in Explorer, of the taskbar
                          button and of every dialog
  --splash FILE.bmp       the splash picture (bitmap 133): 428x211 pixels
  --banner FILE.bmp       the banner across the top of the message dialog (bitmap 130): 634x78
                          pixels
                          Pictures must be uncompressed 24- or 32-bit .bmp files of exactly that
                          size (the dialogs show them unscaled); the file header is dropped.
  --version A.B.C.D       the file and product version numbers, and the FileVersion and
                          ProductVersion texts unless --version-string names them; four numbers
                          from 0 to 65535. The About box keeps showing the stub's own version.
  --version-string KEY=VALUE
                          one text of the version resource, in every language it has (UTF-8);
                          KEY is one of Comments, CompanyName, FileDescription, FileVersion,
                          InternalName, LegalCopyright, LegalTrademarks, OriginalFilename,
                          PrivateBuild, ProductName, ProductVersion, SpecialBuild
Texts and numbers not given keep the stub's values. A refused file or value (with its reason and,
for a picture, the size expected) fails the packing: exit status 1, nothing written.

Argument files:
  @FILE                   further arguments from FILE, one per line as it stands (no quotes;
                          "--set" and its value on two lines, or "--set=1=Name" on one); empty
                          lines and lines starting with "#" are skipped; FILE may name more
                          @FILEs. Relative paths inside are taken from the current folder.

The setup file keeps every other resource of the stub, drops any Authenticode signature (sign
the setup file after packing), and holds at most 1536 MiB in all (the image a 32-bit process
can map); each file must fit that.

Exit status: 0 on success, 1 when packing fails, 2 for a bad command line.
)";

bool ParseNumber(const std::string& text, uint32_t minimum, uint32_t maximum, uint16_t& value) {
  if (text.empty() || text.size() > 5) return false;
  uint32_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<uint32_t>(c - '0');
  }
  if (number < minimum || number > maximum) return false;
  value = static_cast<uint16_t>(number);
  return true;
}

// A resource type or name from the command line: a number, or ASCII letters, digits and "_-."
// upper-cased, since the loader upper-cases the names programs look up.
bool ParseResourceKey(const std::string& text, ResourceKey& key) {
  uint16_t id = 0;
  if (!text.empty() && text[0] >= '0' && text[0] <= '9') {
    if (!ParseNumber(text, 1, 0xffff, id)) return false;
    key = ResourceKey::Id(id);
    return true;
  }
  if (text.empty()) return false;
  std::u16string name;
  for (char c : text) {
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                         c == '_' || c == '-' || c == '.';
    if (!allowed) return false;
    name.push_back(static_cast<char16_t>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c));
  }
  key = ResourceKey::Name(std::move(name));
  return true;
}

PackResult Fail(const std::string& option, const std::string& value, const std::string& problem) {
  return PackResult::Fail(option + (value.empty() ? "" : " " + value) + ": " + problem);
}

class Parser {
 public:
  explicit Parser(PackOptions& options) : options_(options) {}

  PackResult Value(const std::string& option, const std::string& value) {
    if (option == "--stub") return Single(option, options_.stub, value);
    if (option == "--out") return Single(option, options_.out, value);
    if (option == "--payload") return Single(option, options_.payloadFolder, value);
    if (option == "--program") return Single(option, options_.program, value);
    if (option == "--manifest-file") return Single(option, options_.manifestFile, value);
    if (option == "--level") return Level(value);
    if (option == "--file") return File(value);
    if (option == "--resource") return Resource(value);
    if (option == "--set") return Set(value);
    if (IsBrandingOption(option)) return AddBrandingOption(option, value, options_.branding);
    return Unset(value);
  }

  PackResult Finish() const {
    if (options_.help) return PackResult::Ok();
    if (options_.stub.empty()) return PackResult::Fail("--stub is required");
    if (options_.out.empty()) return PackResult::Fail("--out is required");
    if (!options_.program.empty() && options_.payloadFolder.empty()) {
      return PackResult::Fail("--program needs --payload");
    }
    if (options_.store && levelGiven_) return PackResult::Fail("--level and --store exclude each other");
    if (options_.noManifest && !options_.manifestFile.empty()) {
      return PackResult::Fail("--manifest-file and --no-manifest exclude each other");
    }
    return PackResult::Ok();
  }

 private:
  static PackResult Single(const std::string& option, std::string& field, const std::string& value) {
    if (!field.empty()) return PackResult::Fail(option + " given twice");
    if (value.empty()) return PackResult::Fail(option + " needs a non-empty value");
    field = value;
    return PackResult::Ok();
  }

  PackResult Level(const std::string& value) {
    uint16_t level = 0;
    if (levelGiven_) return PackResult::Fail("--level given twice");
    if (!ParseNumber(value, 1, kMaxCompressionLevel, level)) {
      return Fail("--level", value, "must be a number from 1 to " + std::to_string(kMaxCompressionLevel));
    }
    options_.level = level;
    levelGiven_ = true;
    return PackResult::Ok();
  }

  PackResult File(const std::string& value) {
    const size_t first = value.find('=');
    const size_t second = first == std::string::npos ? first : value.find('=', first + 1);
    if (second == std::string::npos) return Fail("--file", value, "expected ID=NAME=PATH");
    FileOption file;
    if (!ParseNumber(value.substr(0, first), 1, 0xffff, file.id)) {
      return Fail("--file", value, "ID must be a number from 1 to 65535");
    }
    file.name = value.substr(first + 1, second - first - 1);
    file.path = value.substr(second + 1);
    if (PackResult result = CheckManifestName(file.name); !result) return Fail("--file", value, result.message());
    if (file.path.empty()) return Fail("--file", value, "PATH is empty");
    if (!fileIds_.insert(file.id).second) return Fail("--file", value, "duplicate id " + std::to_string(file.id));
    options_.files.push_back(file);
    return PackResult::Ok();
  }

  PackResult Resource(const std::string& value) {
    const size_t equals = value.find('=');
    const size_t slash = value.find('/');
    if (equals == std::string::npos || slash == std::string::npos || slash > equals) {
      return Fail("--resource", value, "expected TYPE/NAME=PATH");
    }
    ResourceOption resource;
    resource.text = value.substr(0, equals);
    resource.path = value.substr(equals + 1);
    if (!ParseResourceKey(value.substr(0, slash), resource.type) ||
        !ParseResourceKey(value.substr(slash + 1, equals - slash - 1), resource.name)) {
      return Fail("--resource", value, "TYPE and NAME must each be a number from 1 to 65535 or an ASCII name");
    }
    if (resource.path.empty()) return Fail("--resource", value, "PATH is empty");
    for (const ResourceOption& other : options_.resources) {
      if (other.type == resource.type && other.name == resource.name) {
        return Fail("--resource", value, "duplicate resource " + resource.text);
      }
    }
    options_.resources.push_back(resource);
    return PackResult::Ok();
  }

  PackResult Set(const std::string& value) {
    const size_t equals = value.find('=');
    if (equals == std::string::npos) return Fail("--set", value, "expected ID=TEXT");
    StringEdit edit;
    if (!ParseNumber(value.substr(0, equals), 0, 0xffff, edit.id)) {
      return Fail("--set", value, "ID must be a number from 0 to 65535");
    }
    std::u32string codePoints;
    if (!DecodeUtf8(value.substr(equals + 1), codePoints)) return Fail("--set", value, "TEXT is not valid UTF-8");
    edit.text = EncodeUtf16(codePoints);
    if (edit.text.size() > kMaxStringLength) return Fail("--set", value, "TEXT is longer than 65535 UTF-16 units");
    return AddString("--set", value, edit);
  }

  PackResult Unset(const std::string& value) {
    StringEdit edit;
    edit.unset = true;
    if (!ParseNumber(value, 0, 0xffff, edit.id)) return Fail("--unset", value, "ID must be a number from 0 to 65535");
    return AddString("--unset", value, edit);
  }

  PackResult AddString(const std::string& option, const std::string& value, const StringEdit& edit) {
    if (!stringIds_.insert(edit.id).second) {
      return Fail(option, value, "string " + std::to_string(edit.id) + " is already set or unset");
    }
    options_.strings.push_back(edit);
    return PackResult::Ok();
  }

  PackOptions& options_;
  bool levelGiven_ = false;
  std::set<uint16_t> fileIds_;
  std::set<uint16_t> stringIds_;
};

}  // namespace

PackResult ParsePackOptions(const std::vector<std::string>& arguments, PackOptions& options) {
  options = PackOptions();
  Parser parser(options);
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    if (argument == "--no-manifest") {
      options.noManifest = true;
      continue;
    }
    if (argument == "--store") {
      options.store = true;
      continue;
    }
    if (argument.rfind("--", 0) != 0) return PackResult::Fail("unexpected argument " + argument);
    const size_t equals = argument.find('=');
    std::string option = argument.substr(0, equals);
    if (option == "--help" || option == "--no-manifest" || option == "--store") {
      return PackResult::Fail(option + " takes no value");
    }
    if (std::find(std::begin(kValueOptions), std::end(kValueOptions), option) == std::end(kValueOptions) &&
        !IsBrandingOption(option)) {
      return PackResult::Fail("unknown option " + option + " (see --help)");
    }
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return PackResult::Fail(option + " needs a value");
    }
    if (PackResult result = parser.Value(option, value); !result) return result;
  }
  return parser.Finish();
}

const char* PackUsage() { return kUsage; }

}  // namespace brennix::pack
