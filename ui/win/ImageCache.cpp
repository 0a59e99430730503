#include "ui/win/ImageCache.h"
#include <objidl.h>
#include <gdiplus.h>
#include <cwctype>
#include <vector>
#include "ui/UIGlobals.h"
#include "ui/pure/ImageResample.h"
#include "ui/pure/ImageScale.h"
#include "ui/pure/ValueParse.h"
#include "ui/win/GdiplusSession.h"
#include "ui/win/ImagePrefetch.h"
#include "base/pure/DecimalText.h"

namespace {
// A resource's bytes stay mapped for the life of the module; no copy is needed here.
bool FindResourceBytes(const wchar_t* name, const wchar_t* type, const void** data, size_t* size) {
    HMODULE module = UIGetInstance();
    HRSRC res = ::FindResourceW(module, name, type);
    if (res == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(module, res);
    *data = loaded ? ::LockResource(loaded) : nullptr;
    *size = ::SizeofResource(module, res);
    return *data != nullptr && *size != 0;
}

bool ReadFileBytes(const std::wstring& path, std::vector<char>* bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64 << 20)) return false;
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ::ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
           read == bytes->size();
}

bool IsAbsolute(const std::wstring& path) {
    return (path.size() > 1 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

std::shared_ptr<LoadedImage> LoadFromResource(const std::wstring& name, const std::wstring& type, UIColor mask) {
    const void* data = nullptr;
    size_t size = 0;
    const UIResourceId number = ParseResourceId(name);
    if (number.numeric && number.id == 0) return nullptr;
    const wchar_t* id = number.numeric ? MAKEINTRESOURCEW(number.id) : name.c_str();
    if (!FindResourceBytes(id, type.c_str(), &data, &size)) return nullptr;
    return DecodeImage(data, size, mask);
}

std::shared_ptr<LoadedImage> LoadFromFile(const std::wstring& file, UIColor mask) {
    std::vector<char> bytes;
    const std::wstring path = IsAbsolute(file) ? file : UIGetResourcePath() + file;
    if (ReadFileBytes(path, &bytes)) return DecodeImage(bytes.data(), bytes.size(), mask);
    return LoadFromResource(FallbackResourceName(file), L"PNG", mask);
}

// An empty top-down 32-bit DIB of w x h; its pixels in `*bits`.
std::shared_ptr<LoadedImage> NewDib(int w, int h, uint32_t** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* raw = nullptr;
    auto image = std::make_shared<LoadedImage>();
    image->bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
    if (!image->bitmap) return nullptr;
    *bits = static_cast<uint32_t*>(raw);
    image->width = w;
    image->height = h;
    image->pixels = *bits;
    return image;
}

// Copies decoded ARGB pixels into a DIB, premultiplied, with the mask colour made clear.
std::shared_ptr<LoadedImage> ToDib(Gdiplus::Bitmap& bitmap, UIColor mask) {
    const int w = static_cast<int>(bitmap.GetWidth()), h = static_cast<int>(bitmap.GetHeight());
    if (w <= 0 || h <= 0) return nullptr;
    Gdiplus::Rect all(0, 0, w, h);
    Gdiplus::BitmapData locked = {};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
        return nullptr;
    uint32_t* out = nullptr;
    auto image = NewDib(w, h, &out);
    if (image) {
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(locked.Scan0) + y * locked.Stride);
            for (int x = 0; x < w; ++x) {
                uint32_t p = row[x];
                if (mask != 0 && (p & 0xFFFFFF) == (mask & 0xFFFFFF)) p = 0;
                const uint32_t a = p >> 24;
                const uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
                out[y * w + x] = (a << 24) | (r << 16) | (g << 8) | b;
            }
        }
    }
    bitmap.UnlockBits(&locked);
    return image;
}

// The image of `desc` drawn for `dpi`, when there is one.
std::shared_ptr<LoadedImage> LoadScaled(const ImageDescription& desc, int dpi) {
    if (desc.resType.empty()) {
        const std::wstring file = ScaledImageFile(desc.file, dpi);
        return file.empty() ? nullptr : LoadFromFile(file, desc.mask);
    }
    if (dpi == kUIBaseDpi) return LoadFromResource(desc.file, desc.resType, desc.mask);
    // Only images named by id come in other scales.
    const UIResourceId number = ParseResourceId(desc.file);
    const std::optional<unsigned> id = number.numeric ? ScaledImageId(number.id, dpi) : std::nullopt;
    return id ? LoadFromResource(DecimalText(*id), desc.resType, desc.mask) : nullptr;
}

// Resized pieces larger than this are not made (a stretch over a huge control).
constexpr int64_t kMaxResizedPixels = 16 << 20;
// How many resized pieces an image keeps.
constexpr size_t kMaxResizedPieces = 64;
}  // namespace

std::shared_ptr<LoadedImage> MakeImage(const uint32_t* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0) return nullptr;
    uint32_t* out = nullptr;
    auto image = NewDib(width, height, &out);
    if (image) memcpy(out, pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(uint32_t));
    return image;
}

std::shared_ptr<LoadedImage> LoadedImage::Resized(const UIRect& from, UISize size) {
    if (size.cx <= 0 || size.cy <= 0 || int64_t{size.cx} * size.cy > kMaxResizedPixels) return nullptr;
    if (from.left < 0 || from.top < 0 || from.right > width || from.bottom > height || from.empty()) return nullptr;
    const std::array<int, 6> key = {from.left, from.top, from.right, from.bottom, size.cx, size.cy};
    if (auto found = resized_.find(key); found != resized_.end()) return found->second;
    const std::vector<uint32_t> pixelsOut = ResamplePixels(pixels, width, from, size);
    auto piece = MakeImage(pixelsOut.data(), size.cx, size.cy);
    if (!piece) return nullptr;
    // The progress fill asks for a new width at each step: keep a bounded number.
    if (resized_.size() >= kMaxResizedPieces) resized_.clear();
    resized_.emplace(key, piece);
    return piece;
}

std::wstring FallbackResourceName(const std::wstring& file) {
    std::wstring name;
    for (wchar_t c : file) {
        const bool alnum = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        name += alnum ? static_cast<wchar_t>(std::towupper(c)) : L'_';
    }
    return name;
}

std::shared_ptr<LoadedImage> DecodeImage(const void* data, size_t size, UIColor mask) {
    if (!EnsureGdiplus() || data == nullptr || size == 0) return nullptr;
    // GDI+ reads from a stream; the stream owns a movable copy of the bytes.
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr) return nullptr;
    if (void* p = ::GlobalLock(copy)) {
        memcpy(p, data, size);
        ::GlobalUnlock(copy);
    }
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(copy, TRUE, stream.put()))) {
        ::GlobalFree(copy);
        return nullptr;
    }
    Gdiplus::Bitmap bitmap(stream.get());
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return nullptr;
    return ToDib(bitmap, mask);
}

std::wstring ImageCacheKey(const ImageDescription& desc, int windowDpi) {
    return desc.file + L'|' + desc.resType + L'|' + DecimalText(desc.mask) + L'|' + DecimalText(windowDpi);
}

std::shared_ptr<LoadedImage> LoadImageFor(const ImageDescription& desc, int windowDpi) {
    for (int dpi : ImageDpiPreference(windowDpi)) {
        if (std::shared_ptr<LoadedImage> image = LoadScaled(desc, dpi)) {
            image->dpi = dpi;
            return image;
        }
    }
    return nullptr;
}

std::shared_ptr<LoadedImage> CImageCache::Get(const ImageDescription& desc, int windowDpi) {
    if (desc.file.empty()) return nullptr;
    const std::wstring key = ImageCacheKey(desc, windowDpi);
    auto found = images_.find(key);
    if (found != images_.end()) return found->second;
    std::optional<std::shared_ptr<LoadedImage>> prefetched = TakePrefetchedImage(key);
    std::shared_ptr<LoadedImage> image = prefetched ? std::move(*prefetched) : LoadImageFor(desc, windowDpi);
    images_.emplace(key, image);
    return image;
}
