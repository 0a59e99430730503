#include "ui/win/BackBuffer.h"

HDC CBackBuffer::Prepare(HDC reference, SIZE size) {
    if (bitmap_ && size.cx == size_.cx && size.cy == size_.cy) return dc_.get();
    if (!dc_) dc_.reset(::CreateCompatibleDC(reference));
    if (!dc_) return nullptr;
    Deselect();
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return nullptr;
    original_ = ::SelectObject(dc_.get(), bitmap_.get());
    size_ = size;
    return dc_.get();
}

void CBackBuffer::Deselect() noexcept {
    if (original_ == nullptr) return;
    ::SelectObject(dc_.get(), original_);
    original_ = nullptr;
}
