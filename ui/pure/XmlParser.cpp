#include "ui/pure/XmlParser.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include "ui/pure/ValueParse.h"
#include "base/pure/DecimalText.h"

const std::wstring* XmlElement::Attribute(std::wstring_view attributeName) const {
    for (const XmlAttribute& a : attributes)
        if (a.name == attributeName) return &a.value;
    return nullptr;
}

std::wstring XmlDocument::Describe() const {
    if (ok) return L"ok";
    if (line == 0) return message;  // a file that could not be read: no place to name
    return message + L" at line " + DecimalText(line) + L" (offset " + DecimalText(offset) + L")";
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    XmlDocument Run() {
        XmlDocument doc;
        if (text_.empty()) return Fail(doc, XmlMessage::kFileIsEmpty);
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
        if (!SkipMisc() || !At('<')) return Fail(doc, XmlMessage::kExpectedStartTag);
        if (!ParseElement(doc.root, 1)) return Fail(doc, error_);
        doc.ok = true;
        return doc;
    }

private:
    bool AtEnd() const { return at_ >= text_.size(); }
    bool At(char c) const { return !AtEnd() && text_[at_] == c; }
    bool Starts(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
    void SkipSpace() { while (!AtEnd() && IsSpace(text_[at_])) ++at_; }

    // Moves past `terminator`; false when it never comes.
    bool SkipPast(std::string_view terminator) {
        const size_t found = text_.find(terminator, at_);
        if (found == std::string_view::npos) { at_ = text_.size(); return false; }
        at_ = found + terminator.size();
        return true;
    }

    // Comments, <?...?> and <!...> before the root element.
    bool SkipMisc() {
        for (;;) {
            SkipSpace();
            if (Starts("<!--")) { if (!SkipPast("-->")) return false; }
            else if (Starts("<?")) { if (!SkipPast("?>")) return false; }
            else if (Starts("<!")) { if (!SkipPast(">")) return false; }
            else return true;
        }
    }

    XmlDocument& Fail(XmlDocument& doc, const wchar_t* message) {
        doc.ok = false;
        doc.message = message;
        doc.offset = std::min(at_, text_.size());
        doc.line = 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + doc.offset, '\n'));
        doc.root = XmlElement{};
        return doc;
    }

    bool Error(const wchar_t* message) { error_ = message; return false; }

    std::string_view ReadName() {
        const size_t start = at_;
        while (!AtEnd()) {
            const char c = text_[at_];
            if (IsSpace(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"') break;
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    // Entities of attribute values; any other "&" stays as written.
    static std::string DecodeEntities(std::string_view raw) {
        static const struct { std::string_view name; char value; } kEntities[] = {
            {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
        std::string out;
        out.reserve(raw.size());
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '&') {
                bool decoded = false;
                for (const auto& e : kEntities) {
                    if (raw.substr(i + 1, e.name.size()) == e.name) {
                        out.push_back(e.value);
                        i += e.name.size();
                        decoded = true;
                        break;
                    }
                }
                if (decoded) continue;
            }
            out.push_back(raw[i]);
        }
        return out;
    }

    bool ParseAttributes(XmlElement& element, bool& selfClosed) {
        for (;;) {
            SkipSpace();
            if (AtEnd()) return Error(XmlMessage::kStartTagClosing);
            if (At('/')) {
                ++at_;
                if (!At('>')) return Error(XmlMessage::kStartTagClosing);
                ++at_;
                selfClosed = true;
                return true;
            }
            if (At('>')) { ++at_; selfClosed = false; return true; }
            const std::string_view name = ReadName();
            if (name.empty()) return Error(XmlMessage::kAttributes);
            SkipSpace();
            if (!At('=')) return Error(XmlMessage::kAttributes);
            ++at_;
            SkipSpace();
            if (!At('"')) return Error(XmlMessage::kAttributeValue);
            const size_t valueStart = ++at_;
            const size_t close = text_.find('"', valueStart);
            if (close == std::string_view::npos) { at_ = text_.size(); return Error(XmlMessage::kAttributeString); }
            at_ = close + 1;
            element.attributes.push_back(
                {Utf8ToUtf16(name), Utf8ToUtf16(DecodeEntities(text_.substr(valueStart, close - valueStart)))});
        }
    }

    bool ParseEndTag(const XmlElement& element) {
        at_ += 2;  // "</"
        const size_t nameStart = at_;
        const std::string_view name = ReadName();
        if (Utf8ToUtf16(name) != element.name) {
            at_ = nameStart;  // report the name that does not match
            return Error(XmlMessage::kUnmatchedClosingTag);
        }
        SkipSpace();
        if (!At('>')) return Error(XmlMessage::kUnmatchedClosingTag);
        ++at_;
        return true;
    }

    // Text, comments and declarations between tags are skipped; child elements recurse.
    bool ParseContent(XmlElement& element, int depth) {
        for (;;) {
            const size_t tag = text_.find('<', at_);
            if (tag == std::string_view::npos) { at_ = text_.size(); return Error(XmlMessage::kEndTagStart); }
            at_ = tag;
            if (Starts("</")) return ParseEndTag(element);
            if (Starts("<!--")) { if (!SkipPast("-->")) return Error(XmlMessage::kEndTagStart); continue; }
            if (Starts("<![CDATA[")) { if (!SkipPast("]]>")) return Error(XmlMessage::kEndTagStart); continue; }
            if (Starts("<?")) { if (!SkipPast("?>")) return Error(XmlMessage::kEndTagStart); continue; }
            if (Starts("<!")) { if (!SkipPast(">")) return Error(XmlMessage::kEndTagStart); continue; }
            if (depth >= kXmlMaxDepth) return Error(XmlMessage::kEndTagStart);
            element.children.emplace_back();
            if (!ParseElement(element.children.back(), depth + 1)) return false;
        }
    }

    bool ParseElement(XmlElement& element, int depth) {
        ++at_;  // "<"
        const std::string_view name = ReadName();
        if (name.empty()) return Error(XmlMessage::kElementName);
        element.name = Utf8ToUtf16(name);
        bool selfClosed = false;
        if (!ParseAttributes(element, selfClosed)) return false;
        return selfClosed || ParseContent(element, depth);
    }

    std::string_view text_;
    size_t at_ = 0;
    const wchar_t* error_ = XmlMessage::kExpectedStartTag;
};

XmlDocument FileFailure(const wchar_t* message) {
    XmlDocument doc;
    doc.message = message;
    return doc;
}

}  // namespace

XmlDocument ParseXml(std::string_view utf8) { return Reader(utf8).Run(); }

XmlDocument ParseXmlFile(const std::wstring& path) {
    // C's files, not the stream library: this is the one file a setup reads with it.
#ifdef _WIN32
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(_wfopen(path.c_str(), L"rb"), std::fclose);
#else
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(Utf16ToUtf8(path).c_str(), "rb"), std::fclose);
#endif
    if (!file) return FileFailure(XmlMessage::kErrorOpeningFile);
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return FileFailure(XmlMessage::kCouldNotReadFile);
    const long size = std::ftell(file.get());  // -1 also for a file past 2 GB
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return FileFailure(XmlMessage::kCouldNotReadFile);
    if (size == 0) return FileFailure(XmlMessage::kFileIsEmpty);
    if (static_cast<unsigned long>(size) > kXmlMaxFileSize) return FileFailure(XmlMessage::kFileTooLarge);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return FileFailure(XmlMessage::kCouldNotReadFile);
    return ParseXml(bytes);
}
