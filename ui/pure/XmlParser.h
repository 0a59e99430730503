#pragma once
// The framework's small non-validating XML reader. It never throws: a failure carries
// one of the fixed messages below plus the byte offset and line where reading stopped.
// Attribute values must be double-quoted; in them the entities &amp; &lt; &gt; &quot;
// &apos; are decoded and any other "&" is kept as written. Comments, <?...?> and <!...>
// declarations are skipped; text content is ignored. Input is UTF-8, names and values
// come out as UTF-16.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The fixed failure messages.
namespace XmlMessage {
inline constexpr const wchar_t* kErrorOpeningFile = L"Error opening file";
inline constexpr const wchar_t* kFileIsEmpty = L"File is empty";
inline constexpr const wchar_t* kFileTooLarge = L"File too large";
inline constexpr const wchar_t* kCouldNotReadFile = L"Could not read file";
inline constexpr const wchar_t* kErrorOpeningZip = L"Error opening zip file";
inline constexpr const wchar_t* kCouldNotFindZipped = L"Could not find ziped file";
inline constexpr const wchar_t* kCouldNotUnzip = L"Could not unzip file";
inline constexpr const wchar_t* kExpectedStartTag = L"Expected start tag";
inline constexpr const wchar_t* kElementName = L"Error parsing element name";
inline constexpr const wchar_t* kStartTagClosing = L"Expected start-tag closing";
inline constexpr const wchar_t* kEndTagStart = L"Expected end-tag start";
inline constexpr const wchar_t* kUnmatchedClosingTag = L"Unmatched closing tag";
inline constexpr const wchar_t* kAttributes = L"Error while parsing attributes";
inline constexpr const wchar_t* kAttributeValue = L"Expected attribute value";
inline constexpr const wchar_t* kAttributeString = L"Error while parsing attribute string";
}  // namespace XmlMessage

struct XmlAttribute {
    std::wstring name;
    std::wstring value;
};

struct XmlElement {
    std::wstring name;
    std::vector<XmlAttribute> attributes;  // document order
    std::vector<XmlElement> children;      // document order
    // The value of the first attribute called `name`, or null.
    const std::wstring* Attribute(std::wstring_view name) const;
};

struct XmlDocument {
    bool ok = false;
    std::wstring message;  // empty when ok
    size_t offset = 0;     // byte offset where reading stopped
    int line = 0;          // 1-based line of that offset (0 when the file could not be read)
    XmlElement root;
    // "Expected attribute value at line 3 (offset 57)", for whoever debugs a layout.
    std::wstring Describe() const;
};

// Nesting deeper than this fails (with "Expected end-tag start" at the element that
// goes too deep) so that no consumer of the tree can exhaust the stack.
inline constexpr int kXmlMaxDepth = 200;
// Files larger than this fail with "File too large".
inline constexpr size_t kXmlMaxFileSize = 16u << 20;

[[nodiscard]] XmlDocument ParseXml(std::string_view utf8);
// Reads and parses a file (UTF-8). Fails with the file messages: "Error opening file",
// "File is empty", "File too large", "Could not read file".
[[nodiscard]] XmlDocument ParseXmlFile(const std::wstring& path);
