#pragma once
// Decoding a window's images before its first paint, on a worker thread, while the
// program still does what comes before the window (its start-up checks, the window's
// creation and layout). Decoding the first page's images (and GDI+'s own start) is the
// larger part of a first paint; the window's image cache (ImageCache.h) takes what the
// worker decoded instead of decoding it again.
#include <windows.h>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

struct LoadedImage;

// Starts decoding, on a worker thread, the images that layout resource `layoutId` of
// type `type` shows when its window opens (ui/pure/LayoutImages.h), in their order, for
// a window at the system's DPI. Only the resource is looked up here; the worker parses
// the layout and asks for the DPI. Once per process: later calls do nothing. When
// anything fails (no layout, no thread, a decode) the windows decode their images
// themselves, as without it.
void UIPrefetchLayoutImages(UINT layoutId, const wchar_t* type);

// The image for cache key `key` (ImageCacheKey) that the worker decoded, waiting while
// it is decoding; the entry is handed over and forgotten. nullopt when the caller is to
// decode it itself: never queued, not started yet (then the worker skips it), or its
// decode failed on the worker.
[[nodiscard]] std::optional<std::shared_ptr<LoadedImage>> TakePrefetchedImage(const std::wstring& key);

// Waits at most `timeout` for the worker to have gone through its list; true when it has
// (or there is no worker). For tests: a window never needs to wait for more than its image.
[[nodiscard]] bool UIWaitForPrefetch(std::chrono::milliseconds timeout);
