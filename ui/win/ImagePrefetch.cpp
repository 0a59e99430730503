#include "ui/win/ImagePrefetch.h"

#include <atomic>
#include <map>
#include <string_view>
#include <vector>
#include "base/Handles.h"
#include "ui/UIGlobals.h"
#include "ui/WindowManager.h"
#include "ui/pure/ImageDescription.h"
#include "ui/pure/LayoutImages.h"
#include "ui/win/ImageCache.h"

namespace {

enum class Stage { Queued, Decoding, Decoded, Taken };

struct Entry {
    ImageDescription description;
    Stage stage = Stage::Queued;
    std::shared_ptr<LoadedImage> image;
};

// The system's slim lock and condition variable: the C++ library's would link the
// threads library's emulation of them into a program that has no other use for it.
struct Prefetch {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE decoded = CONDITION_VARIABLE_INIT;  // an entry decoded, or the end
    std::map<std::wstring, Entry> entries;
    bool finished = false;  // the worker went through its list
    std::string_view layout;
};

class Locked {
public:
    explicit Locked(Prefetch& prefetch) : lock_(prefetch.lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ::ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

// Waits (the lock held) until `done` holds or `timeoutMs` has passed; true when it holds.
template <class Done>
bool WaitUntil(Prefetch& prefetch, Done done, DWORD timeoutMs = INFINITE) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = ::GetTickCount64();
        if (timeoutMs != INFINITE && now >= deadline) return false;
        const DWORD wait = timeoutMs == INFINITE ? INFINITE : static_cast<DWORD>(deadline - now);
        ::SleepConditionVariableSRW(&prefetch.decoded, &prefetch.lock, wait, 0);
    }
    return true;
}

// Made once and never destroyed: the process may end (a second setup, a refusal) while
// the worker still decodes.
std::atomic<Prefetch*> g_prefetch{nullptr};

// Lists the layout's images, then decodes them. The screen's DPI is asked for here: the
// first question to the display costs the connection to it, which the window's thread
// pays meanwhile for its own window anyway.
DWORD WINAPI Work(void* parameter) {
    Prefetch* prefetch = static_cast<Prefetch*>(parameter);
    const XmlDocument layout = ParseXml(prefetch->layout);
    const int dpi = static_cast<int>(CWindowManager::WindowDpi(nullptr));
    std::vector<std::wstring> order;
    {
        Locked locked(*prefetch);
        for (const std::wstring& image : layout.ok ? ImagesShownAtOpen(layout.root) : std::vector<std::wstring>()) {
            Entry entry;
            entry.description = ParseImageDescription(image);
            if (entry.description.file.empty()) continue;
            const std::wstring key = ImageCacheKey(entry.description, dpi);
            if (prefetch->entries.emplace(key, std::move(entry)).second) order.push_back(key);
        }
    }
    for (const std::wstring& key : order) {
        ImageDescription description;
        {
            Locked locked(*prefetch);
            Entry& entry = prefetch->entries[key];
            if (entry.stage != Stage::Queued) continue;  // taken by its window first
            entry.stage = Stage::Decoding;
            description = entry.description;
        }
        std::shared_ptr<LoadedImage> image = LoadImageFor(description, dpi);
        {
            Locked locked(*prefetch);
            Entry& entry = prefetch->entries[key];
            entry.image = std::move(image);
            entry.stage = Stage::Decoded;
        }
        ::WakeAllConditionVariable(&prefetch->decoded);
    }
    {
        Locked locked(*prefetch);
        prefetch->finished = true;
    }
    ::WakeAllConditionVariable(&prefetch->decoded);
    return 0;
}

}  // namespace

void UIPrefetchLayoutImages(UINT layoutId, const wchar_t* type) {
    static std::atomic<bool> started{false};
    if (started.exchange(true)) return;
    std::string_view text;
    if (!UIResourceBytes(layoutId, type, &text)) return;
    auto prefetch = std::make_unique<Prefetch>();
    prefetch->layout = text;
    const UniqueHandle worker(::CreateThread(nullptr, 0, Work, prefetch.get(), 0, nullptr));
    if (!worker) return;  // no thread: each window decodes its own
    g_prefetch.store(prefetch.release());
}

std::optional<std::shared_ptr<LoadedImage>> TakePrefetchedImage(const std::wstring& key) {
    Prefetch* prefetch = g_prefetch.load();
    if (prefetch == nullptr) return std::nullopt;
    Locked locked(*prefetch);
    auto found = prefetch->entries.find(key);
    if (found == prefetch->entries.end() || found->second.stage == Stage::Taken) return std::nullopt;
    Entry& entry = found->second;
    if (entry.stage == Stage::Queued) {
        entry.stage = Stage::Taken;
        return std::nullopt;
    }
    WaitUntil(*prefetch, [&entry] { return entry.stage == Stage::Decoded; });
    entry.stage = Stage::Taken;
    std::shared_ptr<LoadedImage> image = std::move(entry.image);
    if (!image) return std::nullopt;
    return image;
}

bool UIWaitForPrefetch(std::chrono::milliseconds timeout) {
    Prefetch* prefetch = g_prefetch.load();
    if (prefetch == nullptr) return true;
    Locked locked(*prefetch);
    return WaitUntil(*prefetch, [prefetch] { return prefetch->finished; }, static_cast<DWORD>(timeout.count()));
}
