#pragma once
// Builds a control tree from a layout's markup: root-level Image/Font/Default elements,
// the Window element's attributes, then one control per element. Each control is created,
// its children are built, it is added to its parent, and then - attached to the manager
// for the time being - it receives the `Default` list of its element name and then its
// own attributes in document order.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include "ui/pure/Control.h"
#include "ui/pure/XmlParser.h"

class UIManagerCore;

// Creates the control for an element name of the markup table (names compared exactly),
// or null for names outside it.
[[nodiscard]] std::unique_ptr<CControlUI> CreateControlForElement(std::wstring_view elementName);

class CMarkupBuilder {
public:
    // Creates controls for element names outside the table (the platform's own controls).
    using Factory = std::function<std::unique_ptr<CControlUI>(std::wstring_view elementName)>;
    // Returns the UTF-8 markup of an `Include` "source", or nothing when it cannot be read.
    using IncludeLoader = std::function<std::optional<std::string>(std::wstring_view source)>;

    void SetFactory(Factory factory) { factory_ = std::move(factory); }
    void SetIncludeLoader(IncludeLoader loader) { includeLoader_ = std::move(loader); }

    // Builds from UTF-8 markup. `manager` may be null (then no Window attributes, fonts,
    // images or defaults are taken). Returns the root, or null when the markup cannot be
    // parsed (LastError() tells why) or creates no control.
    [[nodiscard]] std::unique_ptr<CControlUI> Build(std::string_view utf8Markup, UIManagerCore* manager);
    // Builds from a parsed document (same rules).
    [[nodiscard]] std::unique_ptr<CControlUI> Build(const XmlDocument& document, UIManagerCore* manager);

    const XmlDocument& LastError() const noexcept { return lastError_; }

private:
    void ReadResources(const XmlElement& root, UIManagerCore* manager);
    void BuildChildren(const XmlElement& element, CControlUI* parent, UIManagerCore* manager,
                       std::unique_ptr<CControlUI>* firstTopLevel, int includeDepth);
    void BuildInclude(const XmlElement& element, CControlUI* parent, UIManagerCore* manager,
                      std::unique_ptr<CControlUI>* firstTopLevel, int includeDepth);
    std::unique_ptr<CControlUI> Create(std::wstring_view elementName) const;

    Factory factory_;
    IncludeLoader includeLoader_;
    XmlDocument lastError_;
    int includesLeft_ = 0;  // includes allowed for the rest of this build
};
