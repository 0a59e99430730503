#pragma once
// A window's off-screen surface: a memory DC holding a 32-bit top-down DIB of the client
// size, made again when that size changes. The DIB is selected out of the DC before it
// is deleted, on every path: a bitmap still selected into a DC cannot be deleted
// (Windows refuses, and the bitmap stays until the process ends).
#include <windows.h>
#include "base/Handles.h"

class CBackBuffer {
public:
    CBackBuffer() = default;
    CBackBuffer(const CBackBuffer&) = delete;
    CBackBuffer& operator=(const CBackBuffer&) = delete;
    ~CBackBuffer() { Deselect(); }  // before the members go: the bitmap first, then the DC

    // The DC to paint into, holding a surface of `size` (made compatible with
    // `reference`); null when it cannot be made.
    [[nodiscard]] HDC Prepare(HDC reference, SIZE size);
    HDC dc() const noexcept { return dc_.get(); }
    HBITMAP bitmap() const noexcept { return bitmap_.get(); }

private:
    void Deselect() noexcept;

    UniqueMemDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ original_ = nullptr;  // the DC's own bitmap, while ours is selected
    SIZE size_ = {};
};
