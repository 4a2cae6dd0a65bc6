#include "hostapp/window_picture.h"

// After windows.h, whose types they use.
#include <objidl.h>
// After objidl.h, whose stream and property types it uses.
#include <gdiplus.h>

#include <vector>

namespace larkspur::hostapp {
namespace {

using namespace Gdiplus::DllExports;

bool FindPngEncoder(CLSID& encoder) {
  UINT count = 0, bytes = 0;
  if (GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<BYTE> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (lstrcmpW(codecs[i].MimeType, L"image/png") == 0) {
      encoder = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

bool SavePng(HBITMAP bitmap, const std::wstring& path) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  bool saved = false;
  CLSID encoder;
  Gdiplus::GpBitmap* image = nullptr;
  if (FindPngEncoder(encoder) &&
      GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Gdiplus::Ok) {
    saved = GdipSaveImageToFile(image, path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
    GdipDisposeImage(image);
  }
  Gdiplus::GdiplusShutdown(token);
  return saved;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::wstring& pngPath) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const bool copied =
      BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const bool saved = copied && SavePng(bitmap, pngPath);
  DeleteObject(bitmap);
  return saved;
}

}  // namespace larkspur::hostapp
