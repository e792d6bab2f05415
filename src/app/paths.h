// Path parts of ANSI byte strings. A separator is a "\" or ":" byte that
// stands as a single-byte character: the second byte of a double-byte
// character (0x5C in 表 or ソ under code page 932) never is one.
#pragma once

#include <cstddef>
#include <string>

// A composed file or folder path must stay below this many bytes.
constexpr std::size_t kPathLimit = 260;

// True when the byte at index is the second byte of a double-byte character:
// it follows an odd number of consecutive lead bytes.
bool IsTrailByteAt(const std::string& text, std::size_t index);

// Index of the last single-byte character of text that is one of delimiters,
// or npos.
std::size_t LastDelimiter(const std::string& text, const char* delimiters);

// True when text is not empty and ends in a single-byte backslash.
bool EndsWithBackslash(const std::string& text);

// Up to and including the last separator; empty when there is none.
std::string PathPart(const std::string& path);

// What follows the last separator; the whole text when there is none.
std::string FileNamePart(const std::string& path);

// The path part without its final backslash, except at a drive root (a
// backslash right after a colon or another backslash).
std::string DirectoryPart(const std::string& path);

// path with the extension of its file name replaced by extension (which
// includes its dot), or extension appended when the name has none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);
