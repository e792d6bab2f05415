#include "capture.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

#include "query.h"
#include "wire.h"

namespace capture {

namespace {

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() { ReleaseDC(nullptr, dc); }
};

struct DeleteDcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct DeleteObjectDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
struct CloseHandleDeleter {
  void operator()(HANDLE file) const { CloseHandle(file); }
};

using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDcDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteObjectDeleter>;
using File = std::unique_ptr<void, CloseHandleDeleter>;

void WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  if (!WriteFile(file, data, size, &written, nullptr) || written != size)
    throw std::runtime_error("cannot write screenshot");
}

constexpr DWORD kPaintTimeoutMs = 2000;

bool NeedsPaint(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return true;
  for (HWND c : win::Controls(window))
    if (IsWindowVisible(c) && GetUpdateRect(c, nullptr, FALSE)) return true;
  return false;
}

// A window just shown has not painted yet: wait until nothing in it awaits
// WM_PAINT, then until the program is back in its message loop, so that the
// painting has ended. A busy program is shot as it is after the timeout.
void AwaitPaint(HWND window) {
  DWORD start = GetTickCount();
  while (NeedsPaint(window) && GetTickCount() - start < kPaintTimeoutMs) Sleep(10);
  DWORD_PTR ignored;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPaintTimeoutMs, &ignored);
}

}  // namespace

void SaveWindow(HWND window, const std::string& path) {
  AwaitPaint(window);
  RECT r{};
  GetWindowRect(window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) throw std::runtime_error("window has no area");

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as BMP files store rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  info.biSizeImage = stride * static_cast<DWORD>(height);

  ScreenDc screen;
  MemoryDc memory(CreateCompatibleDC(screen.dc));
  void* bits = nullptr;
  Bitmap bitmap(CreateDIBSection(screen.dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                 &bits, nullptr, 0));
  if (!memory || !bitmap) throw std::runtime_error("cannot make a bitmap");
  HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen.dc, r.left, r.top, SRCCOPY);
  SelectObject(memory.get(), old);
  if (!copied) throw std::runtime_error("cannot copy the screen");
  GdiFlush();

  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + info.biSizeImage;
  File file(CreateFileW(wire::Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    throw std::runtime_error("cannot create " + path);
  }
  WriteAll(file.get(), &header, sizeof header);
  WriteAll(file.get(), &info, sizeof info);
  WriteAll(file.get(), bits, info.biSizeImage);
}

}  // namespace capture
