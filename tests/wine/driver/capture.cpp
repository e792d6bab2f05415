#include "capture.h"

#include <cstring>
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
struct DeleteBrushDeleter {
  void operator()(HBRUSH brush) const { DeleteObject(brush); }
};
struct CloseHandleDeleter {
  void operator()(HANDLE file) const { CloseHandle(file); }
};

using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDcDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteObjectDeleter>;
using Brush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, DeleteBrushDeleter>;
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

namespace {

// A 32-bit top-down bitmap selected into a memory DC, for comparing pixels.
class Canvas {
 public:
  Canvas(HDC screen, int width, int height) : dc_(CreateCompatibleDC(screen)) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    bitmap_.reset(CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits_,
                                   nullptr, 0));
    if (!dc_ || !bitmap_) throw std::runtime_error("cannot make a bitmap");
    old_ = SelectObject(dc_.get(), bitmap_.get());
    size_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  }
  ~Canvas() { SelectObject(dc_.get(), old_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.get(); }
  bool SamePixels(const Canvas& other) const {
    GdiFlush();
    return size_ == other.size_ && std::memcmp(bits_, other.bits_, size_) == 0;
  }

 private:
  MemoryDc dc_;
  Bitmap bitmap_;
  void* bits_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::size_t size_ = 0;
};

struct StandardIcon {
  const char* name;
  LPCSTR id;
};

const StandardIcon kStandardIcons[] = {
    {"information", IDI_INFORMATION},
    {"question", IDI_QUESTION},
    {"warning", IDI_WARNING},
    {"error", IDI_ERROR},
};

HWND IconControl(HWND box) {
  for (HWND c : win::Controls(box))
    if (IsWindowVisible(c) && win::ClassName(c) == "Static" &&
        (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      return c;
  return nullptr;
}

}  // namespace

std::string MessageBoxIcon(HWND box) {
  HWND control = IconControl(box);
  // The handle is of use only for telling whether there is an icon.
  if (!control || win::Ask(control, STM_GETICON) == 0) return "none";
  AwaitPaint(box);
  RECT r{};
  GetWindowRect(control, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) throw std::runtime_error("icon control has no area");

  ScreenDc screen;
  Canvas shown(screen.dc, width, height);
  if (!BitBlt(shown.dc(), 0, 0, width, height, screen.dc, r.left, r.top, SRCCOPY))
    throw std::runtime_error("cannot copy the screen");
  // The control fills its area with the box's background and draws the icon
  // over it at the area's size; every standard icon leaves its corner clear.
  Brush background(CreateSolidBrush(GetPixel(shown.dc(), 0, 0)));
  RECT area{0, 0, width, height};
  for (const auto& icon : kStandardIcons) {
    Canvas drawn(screen.dc, width, height);
    FillRect(drawn.dc(), &area, background.get());
    DrawIconEx(drawn.dc(), 0, 0, LoadIconA(nullptr, icon.id), width, height, 0, nullptr, DI_NORMAL);
    if (drawn.SamePixels(shown)) return icon.name;
  }
  throw std::runtime_error("the icon matches no standard icon");
}

}  // namespace capture
