// Writes where every named control of the skin's layouts lies, page by page, as the
// framework's own layout code places it at 96 DPI: the click points of the system tests
// (multiplied by the scale they run at) come from here instead of from arithmetic by hand.
//
//   layout_rects OUTPUT.json ID=LAYOUT.xml ...
//
// The output: {"dpi": 96, "layouts": {"221": {"size": [580, 400], "pages": {"default":
// {"closebtn": [[552, 10, 570, 28]], ...}, "custom": {...}, ...}}, "228": ...}}: for each
// page, each visible named control's rectangles [left, top, right, bottom] in document
// order (a name may be used twice, as "start" is). Layout 221 has the main window's pages
// (SetupPages.h); the others one page, "default". Exit code 1 when a layout cannot be
// read or built.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include "tools/layout-rects/SetupPages.h"
#include "ui/pure/Controls.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/MarkupBuilder.h"
#include "ui/pure/ValueParse.h"

namespace {

constexpr int kMainLayout = 221;

std::string Json(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// name -> rectangles of the visible controls of that name, in document order.
std::map<std::string, std::vector<UIRect>> NamedRects(CControlUI& root) {
    std::map<std::string, std::vector<UIRect>> named;
    root.FindControl([&named](CControlUI* c) {
        if (!c->GetName().empty()) named[Utf16ToUtf8(c->GetName())].push_back(c->GetPos());
        return false;
    }, UIFIND_VISIBLE);
    return named;
}

std::string PageJson(const std::map<std::string, std::vector<UIRect>>& named) {
    std::ostringstream out;
    out << "{";
    bool first = true;
    for (const auto& [name, rects] : named) {
        out << (first ? "" : ", ") << Json(name) << ": [";
        for (size_t i = 0; i < rects.size(); ++i) {
            const UIRect& r = rects[i];
            out << (i ? ", " : "") << "[" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "]";
        }
        out << "]";
        first = false;
    }
    return out.str() + "}";
}

bool LayoutJson(int id, const std::string& markup, std::string* json) {
    std::ostringstream out;
    const std::vector<SetupPage> onePage = {{"default", {}}};
    const std::vector<SetupPage>& pages = id == kMainLayout ? MainWindowPages() : onePage;
    bool firstPage = true;
    UISize size;
    std::ostringstream pagesJson;
    for (const SetupPage& page : pages) {
        UIManagerCore manager;  // a fresh tree for each page, laid out at 96 DPI
        CMarkupBuilder builder;
        std::unique_ptr<CControlUI> root = builder.Build(markup, &manager);
        if (!root) return false;
        CControlUI* tree = manager.AttachDialog(std::move(root));
        for (const SetupPageStep& step : page.steps) {
            CControlUI* control = manager.FindControl(step.name);
            if (!control) return false;
            control->SetVisible(step.visible);
        }
        size = manager.GetWindowAttributes().initSize;
        manager.LayoutRoot(UIRect{0, 0, size.cx, size.cy});
        pagesJson << (firstPage ? "" : ", ") << Json(page.name) << ": " << PageJson(NamedRects(*tree));
        firstPage = false;
    }
    out << "{\"size\": [" << size.cx << ", " << size.cy << "], \"pages\": {" << pagesJson.str() << "}}";
    *json = out.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: layout_rects OUTPUT.json ID=LAYOUT.xml ...\n");
        return 1;
    }
    std::ostringstream out;
    out << "{\"dpi\": 96, \"layouts\": {";
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        std::ifstream file(eq == std::string::npos ? std::string() : arg.substr(eq + 1), std::ios::binary);
        std::ostringstream markup;
        markup << file.rdbuf();
        std::string json;
        if (eq == std::string::npos || !file || !LayoutJson(std::stoi(arg.substr(0, eq)), markup.str(), &json)) {
            std::fprintf(stderr, "layout_rects: cannot build %s\n", arg.c_str());
            return 1;
        }
        out << (i > 2 ? ", " : "") << Json(arg.substr(0, eq)) << ": " << json;
    }
    out << "}}\n";
    std::ofstream(argv[1], std::ios::binary) << out.str();
    return 0;
}
