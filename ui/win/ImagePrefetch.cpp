#include "ui/win/ImagePrefetch.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>
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

struct Prefetch {
    std::mutex mutex;
    std::condition_variable decoded;
    std::map<std::wstring, Entry> entries;
    bool finished = false;  // the worker went through its list
};

// Made once and never destroyed: the process may end (a second setup, a refusal) while
// the worker still decodes.
std::atomic<Prefetch*> g_prefetch{nullptr};

// Lists the layout's images, then decodes them. The screen's DPI is asked for here: the
// first question to the display costs the connection to it, which the window's thread
// pays meanwhile for its own window anyway.
void Work(Prefetch* prefetch, std::string_view layoutText) {
    const XmlDocument layout = ParseXml(layoutText);
    const int dpi = static_cast<int>(CWindowManager::WindowDpi(nullptr));
    std::vector<std::wstring> order;
    {
        std::lock_guard lock(prefetch->mutex);
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
            std::lock_guard lock(prefetch->mutex);
            Entry& entry = prefetch->entries[key];
            if (entry.stage != Stage::Queued) continue;  // taken by its window first
            entry.stage = Stage::Decoding;
            description = entry.description;
        }
        std::shared_ptr<LoadedImage> image = LoadImageFor(description, dpi);
        {
            std::lock_guard lock(prefetch->mutex);
            Entry& entry = prefetch->entries[key];
            entry.image = std::move(image);
            entry.stage = Stage::Decoded;
        }
        prefetch->decoded.notify_all();
    }
    {
        std::lock_guard lock(prefetch->mutex);
        prefetch->finished = true;
    }
    prefetch->decoded.notify_all();
}

bool ReadLayout(UINT id, const wchar_t* type, std::string_view* text) {
    if (id == 0 || id > 0xFFFF) return false;
    HMODULE module = UIGetInstance();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (data == nullptr) return false;
    *text = std::string_view(data, ::SizeofResource(module, found));
    return true;
}

}  // namespace

void UIPrefetchLayoutImages(UINT layoutId, const wchar_t* type) {
    static std::once_flag once;
    std::call_once(once, [layoutId, type] {
        std::string_view text;
        if (!ReadLayout(layoutId, type, &text)) return;
        auto prefetch = std::make_unique<Prefetch>();
        try {
            std::thread(Work, prefetch.get(), text).detach();
        } catch (const std::system_error&) {
            return;  // no thread: each window decodes its own
        }
        g_prefetch.store(prefetch.release());
    });
}

std::optional<std::shared_ptr<LoadedImage>> TakePrefetchedImage(const std::wstring& key) {
    Prefetch* prefetch = g_prefetch.load();
    if (prefetch == nullptr) return std::nullopt;
    std::unique_lock lock(prefetch->mutex);
    auto found = prefetch->entries.find(key);
    if (found == prefetch->entries.end() || found->second.stage == Stage::Taken) return std::nullopt;
    Entry& entry = found->second;
    if (entry.stage == Stage::Queued) {
        entry.stage = Stage::Taken;
        return std::nullopt;
    }
    prefetch->decoded.wait(lock, [&entry] { return entry.stage == Stage::Decoded; });
    entry.stage = Stage::Taken;
    std::shared_ptr<LoadedImage> image = std::move(entry.image);
    if (!image) return std::nullopt;
    return image;
}

bool UIWaitForPrefetch(std::chrono::milliseconds timeout) {
    Prefetch* prefetch = g_prefetch.load();
    if (prefetch == nullptr) return true;
    std::unique_lock lock(prefetch->mutex);
    return prefetch->decoded.wait_for(lock, timeout, [prefetch] { return prefetch->finished; });
}
