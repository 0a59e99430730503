#include "ui/pure/MarkupBuilder.h"

#include <algorithm>
#include "ui/pure/Controls.h"
#include "ui/pure/ManagerCore.h"
#include "ui/pure/ValueParse.h"

namespace {

template <class T>
std::unique_ptr<CControlUI> Make() { return std::make_unique<T>(); }

struct ElementClass {
    std::wstring_view element;
    std::unique_ptr<CControlUI> (*create)();
};

const ElementClass kElementClasses[] = {
    {L"Control", Make<CControlUI>},
    {L"Container", Make<CContainerUI>},
    {L"Label", Make<CLabelUI>},
    {L"VerticalLayout", Make<CVerticalLayoutUI>},
    {L"Text", Make<CTextUI>},
    {L"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {L"Button", Make<CButtonUI>},
    {L"TabLayout", Make<CTabLayoutUI>},
    {L"Option", Make<COptionUI>},
    {L"TileLayout", Make<CTileLayoutUI>},
    {L"CheckBox", Make<CCheckBoxUI>},
    {L"ChildLayout", Make<CChildLayoutUI>},
    {L"Edit", Make<CEditUI>},
    {L"List", Make<CListUI>},
    {L"RichEdit", Make<CRichEditUI>},
    {L"ListHeader", Make<CListHeaderUI>},
    {L"Progress", Make<CProgressUI>},
    {L"ListHeaderItem", Make<CListHeaderItemUI>},
    {L"Slider", Make<CSliderUI>},
    {L"ListTextElement", Make<CListTextElementUI>},
    {L"ScrollBar", Make<CScrollBarUI>},
    {L"ListLabelElement", Make<CListLabelElementUI>},
    {L"Combo", Make<CComboUI>},
    {L"ListContainerElement", Make<CListContainerElementUI>},
    {L"ComboBox", Make<CComboBoxUI>},
    {L"TreeView", Make<CTreeViewUI>},
    {L"DateTime", Make<CDateTimeUI>},
    {L"TreeNode", Make<CTreeNodeUI>},
    {L"ActiveX", Make<CActiveXUI>},
    {L"WebBrowser", Make<CWebBrowserUI>},
};

// Included layouts may include others, but not without end.
constexpr int kMaxIncludeDepth = 4;
constexpr int kMaxIncludeCount = 100;
constexpr int kMaxIncludesPerBuild = 100;

std::wstring_view AttributeOr(const XmlElement& e, std::wstring_view name, std::wstring_view fallback) {
    const std::wstring* value = e.Attribute(name);
    return value ? std::wstring_view(*value) : fallback;
}

}  // namespace

std::unique_ptr<CControlUI> CreateControlForElement(std::wstring_view elementName) {
    for (const ElementClass& entry : kElementClasses)
        if (entry.element == elementName) return entry.create();
    return nullptr;
}

std::unique_ptr<CControlUI> CMarkupBuilder::Create(std::wstring_view elementName) const {
    if (auto control = CreateControlForElement(elementName)) return control;
    return factory_ ? factory_(elementName) : nullptr;
}

std::unique_ptr<CControlUI> CMarkupBuilder::Build(std::string_view utf8Markup, UIManagerCore* manager) {
    return Build(ParseXml(utf8Markup), manager);
}

std::unique_ptr<CControlUI> CMarkupBuilder::Build(const XmlDocument& document, UIManagerCore* manager) {
    if (!document.ok) {
        lastError_ = document;
        return nullptr;
    }
    lastError_ = XmlDocument{};
    lastError_.ok = true;
    includesLeft_ = kMaxIncludesPerBuild;
    const XmlElement& root = document.root;
    if (manager) {
        ReadResources(root, manager);
        if (root.name == L"Window")
            for (const XmlAttribute& a : root.attributes) manager->SetWindowAttribute(a.name, a.value);
    }
    std::unique_ptr<CControlUI> first;
    BuildChildren(root, nullptr, manager, &first, 0);
    return first;
}

void CMarkupBuilder::ReadResources(const XmlElement& root, UIManagerCore* manager) {
    for (const XmlElement& e : root.children) {
        if (e.name == L"Image") {
            UIImageInfo image;
            image.name = CUIString(AttributeOr(e, L"name", L""));
            image.resType = CUIString(AttributeOr(e, L"restype", L""));
            image.mask = ParseColor(AttributeOr(e, L"mask", L""));
            manager->AddImage(image);
        } else if (e.name == L"Font") {
            UIFontDesc font;
            font.face = CUIString(AttributeOr(e, L"name", L""));
            font.size = ParseInt(AttributeOr(e, L"size", L"12"));
            font.bold = ParseBool(AttributeOr(e, L"bold", L""));
            font.underline = ParseBool(AttributeOr(e, L"underline", L""));
            font.italic = ParseBool(AttributeOr(e, L"italic", L""));
            manager->AddFont(font, ParseBool(AttributeOr(e, L"default", L"")));
        } else if (e.name == L"Default") {
            const std::wstring* name = e.Attribute(L"name");
            const std::wstring* value = e.Attribute(L"value");
            if (name && value) manager->AddDefaultAttributeList(*name, *value);
        }
    }
}

void CMarkupBuilder::BuildChildren(const XmlElement& element, CControlUI* parent, UIManagerCore* manager,
                                   std::unique_ptr<CControlUI>* firstTopLevel, int includeDepth) {
    for (const XmlElement& child : element.children) {
        if (child.name == L"Image" || child.name == L"Font" || child.name == L"Default") continue;
        if (child.name == L"Include") {
            BuildInclude(child, parent, manager, firstTopLevel, includeDepth);
            continue;
        }
        std::unique_ptr<CControlUI> created = Create(child.name);
        if (!created) continue;  // an element outside the vocabulary: skipped with its children
        CControlUI* control = created.get();
        // Children first, so that the control's own attributes see them in place.
        if (!child.children.empty()) BuildChildren(child, control, manager, nullptr, includeDepth);

        std::unique_ptr<CControlUI> extraTopLevel;  // a second top-level element: built, then dropped
        if (parent) {
            auto* container = static_cast<CContainerUI*>(parent->GetInterface(L"Container"));
            if (!container || !container->Add(std::move(created))) continue;
        } else if (firstTopLevel && !*firstTopLevel) {
            *firstTopLevel = std::move(created);
        } else {
            extraTopLevel = std::move(created);
        }

        // Attached for the time being, so that attributes can reach the window's lists and
        // fonts; the real attachment comes when the window attaches the finished root.
        if (manager) {
            control->SetManager(manager, control->GetParent(), false);
            if (const CUIString* defaults = manager->GetDefaultAttributeList(child.name))
                control->ApplyAttributeList(*defaults);
        }
        for (const XmlAttribute& a : child.attributes) control->SetAttribute(a.name, a.value);
        if (manager) control->SetManager(nullptr, control->GetParent(), false);
    }
}

void CMarkupBuilder::BuildInclude(const XmlElement& element, CControlUI* parent, UIManagerCore* manager,
                                  std::unique_ptr<CControlUI>* firstTopLevel, int includeDepth) {
    const std::wstring* source = element.Attribute(L"source");
    if (!source || !includeLoader_ || includeDepth >= kMaxIncludeDepth) return;
    const int count = std::clamp(ParseInt(AttributeOr(element, L"count", L"1")), 0, kMaxIncludeCount);
    for (int i = 0; i < count && includesLeft_ > 0; ++i) {
        --includesLeft_;
        const std::optional<std::string> markup = includeLoader_(*source);
        if (!markup) return;
        const XmlDocument included = ParseXml(*markup);
        if (!included.ok) return;
        BuildChildren(included.root, parent, manager, firstTopLevel, includeDepth + 1);
    }
}
