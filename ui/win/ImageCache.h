#pragma once
// Decoded images of one window, keyed by what names them. An image is held as a
// top-down 32-bit DIB with premultiplied alpha, ready for AlphaBlend.
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include "ui/Handles.h"
#include "ui/pure/ImageDescription.h"

struct LoadedImage {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    const uint32_t* pixels = nullptr;  // premultiplied 0xAARRGGBB, row by row from the top
};

// Decodes a PNG (or any format GDI+ reads) from memory. Returns nullptr on failure.
[[nodiscard]] std::shared_ptr<LoadedImage> DecodeImage(const void* data, size_t size, UIColor mask);

// The resource name a missing image file falls back to: the file name uppercased with
// every character that is not a letter or digit replaced by '_' ("res\shadow.png" ->
// "RES_SHADOW_PNG"), of resource type "PNG".
std::wstring FallbackResourceName(const std::wstring& file);

class CImageCache {
public:
    // The image that `desc` names: a resource (numeric id or name) of desc.resType, or a
    // file under the resource folder with the resource fallback above. nullptr when it
    // cannot be found or decoded (an id outside 1 to 65535 is not looked up, see
    // ParseResourceId); failures are remembered too.
    [[nodiscard]] std::shared_ptr<LoadedImage> Get(const ImageDescription& desc);
    void Clear() { images_.clear(); }

private:
    std::map<std::wstring, std::shared_ptr<LoadedImage>> images_;
};
