#include "plugin/module/logo_bitmap.h"

// After windows.h, whose types they use.
#include <objidl.h>
// After objidl.h, whose stream and property types it uses.
#include <gdiplus.h>

#include "plugin/module/module_state.h"

namespace larkspur::module {
namespace {

// The resource's bytes in a fresh memory stream positioned at its start; null when the resource is
// missing or empty or the stream cannot be made.
IStream* ResourceStream(int resourceId, HINSTANCE instance) {
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
  if (!resource) return nullptr;
  HGLOBAL loaded = LoadResource(instance, resource);
  if (!loaded) return nullptr;
  const void* bytes = LockResource(loaded);
  const DWORD size = SizeofResource(instance, resource);
  if (!bytes || size == 0) return nullptr;
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
  stream->Write(bytes, size, nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  return stream;
}

}  // namespace

bool LoadLogoBitmap(HWND control, int resourceId, HINSTANCE instance) {
  if (!control || !instance) return false;
  IStream* stream = ResourceStream(resourceId, instance);
  if (!stream) return false;
  Gdiplus::GpBitmap* image = nullptr;
  Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &image);
  stream->Release();
  if (!image) return false;

  bool loaded = false;
  HBITMAP bitmap = nullptr;
  constexpr Gdiplus::ARGB kOpaqueWhite = 0xFFFFFFFF;
  if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, kOpaqueWhite) ==
          Gdiplus::Ok &&
      bitmap) {
    if (Module().logo) DeleteObject(Module().logo);
    Module().logo = bitmap;
    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    loaded = true;
  }
  Gdiplus::DllExports::GdipDisposeImage(image);
  return loaded;
}

}  // namespace larkspur::module
