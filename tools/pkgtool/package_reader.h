// Reads a package file's fields back in file order, as EncodePackage writes
// them, keeping every text's bytes exactly (the loaded image keeps a text only
// up to its first zero byte).
#pragma once

#include <string_view>

#include "package_writer.h"

// False when the bytes end before the last item. *used is the length up to
// the end of the last item; bytes after it are ignored.
bool DecodePackage(std::string_view bytes, PackageDescription* package, std::size_t* used);
