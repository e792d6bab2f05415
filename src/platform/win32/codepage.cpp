#include "platform/codepage.h"

#include <windows.h>

namespace platform {

bool IsAnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != FALSE; }

}  // namespace platform
