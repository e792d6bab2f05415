#include "platform/lzfile.h"

#include <windows.h>
#include <lzexpand.h>

namespace platform {
namespace {

int Open(const char* path) {
  OFSTRUCT record = {};
  record.cBytes = sizeof record;
  return LZOpenFileA(const_cast<LPSTR>(path), &record, OF_READ | OF_SHARE_DENY_WRITE);
}

std::int32_t Read(int handle, void* buffer, std::int32_t count) {
  return LZRead(handle, static_cast<char*>(buffer), count);
}

void Close(int handle) { LZClose(handle); }

}  // namespace

LzApi Lz = {Open, Read, Close};

}  // namespace platform
