#include "app/background_image.h"

#include <objbase.h>
#include <gdiplus.h>

#include <cstring>
#include <mutex>

namespace app {
namespace {

constexpr int kBackgroundImageId = 133;

// GDI+ is started by the first decode and shut down with the last image object.
std::mutex g_gdiplusLock;
ULONG_PTR g_gdiplusToken = 0;
int g_imageObjects = 0;

bool StartGdiplus() {
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (g_gdiplusToken) return true;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) == Gdiplus::Ok;
}

struct GdiplusBitmapTraits : base::NullWhenAbsent<Gdiplus::GpBitmap*> {
    static void close(Handle h) { Gdiplus::DllExports::GdipDisposeImage(h); }
};

HBITMAP DecodeStream(IStream* stream) {
    base::UniqueHandle<GdiplusBitmapTraits> decoded;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, decoded.put()) != Gdiplus::Ok) return nullptr;
    HBITMAP bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(decoded.get(), &bitmap, 0);
    return bitmap;
}

}  // namespace

BackgroundImage::BackgroundImage() {
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    ++g_imageObjects;
}

BackgroundImage::~BackgroundImage() {
    bitmap_.reset();
    std::lock_guard<std::mutex> lock(g_gdiplusLock);
    if (--g_imageObjects == 0 && g_gdiplusToken) {
        Gdiplus::GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    }
}

bool LoadResourceImage(BackgroundImage& image) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(kBackgroundImageId), "Bitmap");
    const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    if (size == 0) return false;
    const void* bytes = ::LockResource(::LoadResource(module, resource));
    if (!bytes) return false;

    // Declared before the stream, which does not own it, so that it outlives it.
    const base::UniqueGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) return false;
    std::memcpy(::GlobalLock(block.get()), bytes, size);
    ::GlobalUnlock(block.get());

    base::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(block.get(), FALSE, stream.put())) || !StartGdiplus()) return false;
    if (HBITMAP bitmap = DecodeStream(stream.get())) image.assign(bitmap);
    return !image.empty();
}

}  // namespace app
