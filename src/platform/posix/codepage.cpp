#include "platform/codepage.h"

namespace platform {
namespace {
unsigned selectedCodePage = 932;
}

void SelectAnsiCodePage(unsigned codePage) { selectedCodePage = codePage; }

bool IsAnsiLeadByte(unsigned char b) {
  if (selectedCodePage != 932) return false;
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace platform
