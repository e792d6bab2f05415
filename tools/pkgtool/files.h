// Whole files in and out. A written file appears complete under its name or
// not at all: it is written under a temporary name beside it, then renamed.
#pragma once

#include <string>
#include <string_view>

// Throw ToolError naming the file.
std::string ReadWholeFile(const std::string& path);
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The bytes the installer's LZ reader delivers for path: expanded when the
// file is SZDD-compressed.
std::string ReadThroughLz(const std::string& path);
