#pragma once
// The pages of the main window (layout 221) as the window switches them: which
// containers it shows and hides, starting from the layout as built (the default page).
// Pure data, for the tools and tests that lay the skin out page by page as a person sees it.
#include <string_view>
#include <vector>

struct SetupPageStep {
    std::wstring_view name;
    bool visible;
};

struct SetupPage {
    std::string_view name;
    std::vector<SetupPageStep> steps;  // from the layout as built
};

inline const std::vector<SetupPage>& MainWindowPages() {
    static const std::vector<SetupPage> pages = {
        {"default", {}},
        {"custom", {{L"defaultinstall", false}, {L"freeinstall", true}, {L"vl_defaultinstall", false}, {L"vl_freeinstall", true}}},
        {"progress", {{L"beforeinstall", false}, {L"progress_container", true}}},
        {"finish", {{L"beforeinstall", false}, {L"finishinstall", true}}},
    };
    return pages;
}
