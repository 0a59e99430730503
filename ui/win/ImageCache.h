#pragma once
// Decoded images of one window, keyed by what names them. An image is held as a
// top-down 32-bit DIB with premultiplied alpha, ready for AlphaBlend.
#include <windows.h>
#include <array>
#include <map>
#include <memory>
#include <string>
#include "base/Handles.h"
#include "ui/pure/ImageDescription.h"

struct LoadedImage {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    const uint32_t* pixels = nullptr;  // premultiplied 0xAARRGGBB, row by row from the top
    int dpi = 96;                      // the scale it was drawn for (ui/pure/ImageScale.h)

    // The part `from` resized to `size` with high-quality filtering, kept for the next
    // paint; nullptr when it cannot be made (or would be too large to keep).
    [[nodiscard]] std::shared_ptr<LoadedImage> Resized(const UIRect& from, UISize size);

private:
    std::map<std::array<int, 6>, std::shared_ptr<LoadedImage>> resized_;
};

// Decodes a PNG (or any format GDI+ reads) from memory. Returns nullptr on failure.
[[nodiscard]] std::shared_ptr<LoadedImage> DecodeImage(const void* data, size_t size, UIColor mask);
// A DIB of premultiplied pixels, `width` a row. nullptr on failure.
[[nodiscard]] std::shared_ptr<LoadedImage> MakeImage(const uint32_t* pixels, int width, int height);

// The resource name a missing image file falls back to: the file name uppercased with
// every character that is not a letter or digit replaced by '_' ("res\shadow.png" ->
// "RES_SHADOW_PNG"), of resource type "PNG".
std::wstring FallbackResourceName(const std::wstring& file);

// The image `desc` names as drawn for the scale nearest above `windowDpi` that there is
// (ui/pure/ImageScale.h; its `dpi` says which), decoded afresh; nullptr when there is none.
[[nodiscard]] std::shared_ptr<LoadedImage> LoadImageFor(const ImageDescription& desc, int windowDpi);
// What a cache keeps an image under: what names it and the window's DPI.
[[nodiscard]] std::wstring ImageCacheKey(const ImageDescription& desc, int windowDpi);

class CImageCache {
public:
    // The image that `desc` names, as drawn for the scale nearest above a window at
    // `windowDpi` that there is (ui/pure/ImageScale.h; its `dpi` says which): a resource
    // (numeric id or name) of desc.resType, or a file under the resource folder with the
    // resource fallback above. nullptr when it cannot be found or decoded (an id outside
    // 1 to 65535 is not looked up, see ParseResourceId); failures are remembered too.
    // An image decoded ahead (ImagePrefetch.h) is taken rather than decoded again.
    [[nodiscard]] std::shared_ptr<LoadedImage> Get(const ImageDescription& desc, int windowDpi = 96);
    void Clear() { images_.clear(); }

private:
    std::map<std::wstring, std::shared_ptr<LoadedImage>> images_;
};
