// The package manifest: a TOML file in UTF-8 that describes a package with
// variant names where the file has bit masks. A text is a string, or, for
// bytes that are no code page 932 character, an array of strings and byte
// values (0 to 255) that are joined in order: ["abc", 0x80, "def"].
#pragma once

#include <string>
#include <string_view>

#include "cp932.h"
#include "package_writer.h"
#include "tool_error.h"

// The package a manifest describes, texts converted to code page 932. name
// is the manifest's name for messages. Throws ToolError naming the line,
// the variant or item and the field.
PackageDescription ReadManifest(std::string_view text, const std::string& name, const Cp932& cp932);

// The manifest that ReadManifest turns back into the same package. Throws
// ToolError when two variants share a name, since items name their variants.
std::string WriteManifest(const PackageDescription& package, const Cp932& cp932);
