// @FILE on the command line: further arguments read from a file, one per line, so that a
// release's settings can live in its repository.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/pack/PackResult.h"

namespace brennix::pack {

// Reads the whole text of the file at a UTF-8 path.
using ReadArgumentText = std::function<PackResult(const std::string& path, std::string& text)>;

// The arguments of a file's text: each line is one argument as it stands (no quoting; a
// trailing CR is dropped); empty lines and lines starting with "#" are skipped; a leading UTF-8
// byte-order mark is ignored.
std::vector<std::string> SplitArgumentLines(const std::string& text);

// Replaces each argument "@PATH" by the arguments of that file, which may name further files.
// Fails, naming the file, when one cannot be read, "@" has no path, or files nest more than
// eight deep (a file that names itself).
PackResult ExpandArgumentFiles(const std::vector<std::string>& arguments, const ReadArgumentText& read,
                               std::vector<std::string>& expanded);

// ReadArgumentText for real files.
PackResult ReadArgumentFile(const std::string& path, std::string& text);

}  // namespace brennix::pack
