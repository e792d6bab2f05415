// Lead-byte test of the system's ANSI code page. Every text of the program is
// a byte string in that page; a double-byte character's second byte may be
// 0x5C, which is then no backslash.
#pragma once

namespace platform {

// True when b starts a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char b);

#ifndef _WIN32
// Native builds have no system code page: tests pick 932 (the default) or a
// single-byte page such as 1252.
void SelectAnsiCodePage(unsigned codePage);
#endif

}  // namespace platform
