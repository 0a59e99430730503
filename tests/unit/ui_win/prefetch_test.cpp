// Images decoded ahead on a worker: the shown images of a layout are decoded exactly as
// the window would decode them, each handed over once; a hidden one is never queued and
// a failed decode is left to the window.
#include <gtest/gtest.h>
#include <cstring>
#include "ui/WindowManager.h"
#include "ui/pure/ImageDescription.h"
#include "ui/win/ImageCache.h"
#include "ui/win/ImagePrefetch.h"

namespace {

TEST(ImagePrefetch, HandsOverTheShownImagesOfALayoutDecodedAsTheWindowWould) {
    UIPrefetchLayoutImages(202, L"XML");
    ASSERT_TRUE(UIWaitForPrefetch(std::chrono::seconds(60)));
    const int dpi = static_cast<int>(CWindowManager::WindowDpi(nullptr));
    for (const wchar_t* shown : {L"res='101' restype='png'", L"res='104' restype='png'", L"res='105' restype='png'"}) {
        const ImageDescription description = ParseImageDescription(shown);
        const std::wstring key = ImageCacheKey(description, dpi);
        const std::optional<std::shared_ptr<LoadedImage>> taken = TakePrefetchedImage(key);
        ASSERT_TRUE(taken && *taken) << shown;
        const std::shared_ptr<LoadedImage> own = LoadImageFor(description, dpi);
        ASSERT_TRUE(own);
        const LoadedImage& image = **taken;
        ASSERT_EQ(image.width, own->width) << shown;
        ASSERT_EQ(image.height, own->height) << shown;
        EXPECT_EQ(image.dpi, own->dpi) << shown;
        EXPECT_EQ(0, std::memcmp(image.pixels, own->pixels, sizeof(uint32_t) * own->width * own->height)) << shown;
        EXPECT_FALSE(TakePrefetchedImage(key)) << shown << ": handed over once only";
    }
    // Hidden, not in the layout, or failed on the worker: the window decodes it itself.
    for (const wchar_t* other : {L"res='106' restype='png'", L"res='102' restype='png'", L"res='999' restype='png'"})
        EXPECT_FALSE(TakePrefetchedImage(ImageCacheKey(ParseImageDescription(other), dpi))) << other;
}

}  // namespace
