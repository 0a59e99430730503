#pragma once
// A buffer of whole pages of its own (VirtualAlloc), whose leading pages can be given
// back to the system while the rest is still in use: a large buffer read front to back
// then holds only what is still to be read, not all it ever held.
//
// Failure contract: an empty buffer (data() null) when its pages cannot be had.
// giveBackBelow() fails silently: pages the system would not decommit stay, and
// givenBack() does not count them. The bytes given back must never be read again.
#include <windows.h>
#include <cstddef>
#include <utility>

class PageBuffer {
public:
    PageBuffer() = default;
    explicit PageBuffer(size_t size)
        : data_(size ? static_cast<unsigned char*>(::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT,
                                                                   PAGE_READWRITE))
                     : nullptr),
          size_(data_ ? size : 0) {}
    PageBuffer(PageBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          givenBack_(std::exchange(other.givenBack_, 0)) {}
    PageBuffer& operator=(PageBuffer&& other) noexcept {
        if (this != &other) {
            release();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
            givenBack_ = std::exchange(other.givenBack_, 0);
        }
        return *this;
    }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    ~PageBuffer() { release(); }

    unsigned char* data() const { return data_; }
    size_t size() const { return size_; }
    // How many leading bytes have been given back: whole pages.
    size_t givenBack() const { return givenBack_; }

    // Gives back the whole pages that lie wholly below `offset`; returns givenBack().
    size_t giveBackBelow(size_t offset) {
        const size_t page = PageSize();
        const size_t end = (offset < size_ ? offset : size_) / page * page;
        if (end > givenBack_ && ::VirtualFree(data_ + givenBack_, end - givenBack_, MEM_DECOMMIT))
            givenBack_ = end;
        return givenBack_;
    }

    static size_t PageSize() {
        static const size_t size = [] {
            SYSTEM_INFO info;
            ::GetSystemInfo(&info);
            return static_cast<size_t>(info.dwPageSize);
        }();
        return size;
    }

private:
    void release() {
        if (data_) {
            const DWORD error = ::GetLastError();
            ::VirtualFree(data_, 0, MEM_RELEASE);
            ::SetLastError(error);
        }
        data_ = nullptr;
        size_ = 0;
        givenBack_ = 0;
    }

    unsigned char* data_ = nullptr;
    size_t size_ = 0;
    size_t givenBack_ = 0;
};
