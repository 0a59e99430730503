#pragma once
// A rich-text box drawn by the platform's rich-edit window (IUIHost::UpdateNativeControl).
// The core keeps its text and options, its inset and its scroll bars' looks.
#include "ui/pure/Container.h"

class CRichEditUI : public CContainerUI {
public:
    CRichEditUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    CUIString GetText() const override { return text_; }
    void SetText(std::wstring_view text) override;
    // From the host: the native text changed (raises "textchanged").
    void OnNativeTextChanged(std::wstring_view text);

    bool IsMultiLine() const noexcept { return multiLine_; }
    bool IsReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsRich() const noexcept { return rich_; }
    bool IsWantTab() const noexcept { return wantTab_; }
    bool IsWantReturn() const noexcept { return wantReturn_; }
    bool IsWantCtrlReturn() const noexcept { return wantCtrlReturn_; }
    bool IsAutoVScroll() const noexcept { return autoVScroll_; }
    bool IsAutoHScroll() const noexcept { return autoHScroll_; }
    bool HasVScrollBar() const noexcept { return wantVScroll_; }
    bool HasHScrollBar() const noexcept { return wantHScroll_; }
    bool IsTransparent() const noexcept { return transparent_; }
    int GetMaxChar() const noexcept { return maxChar_; }
    int GetFont() const noexcept { return font_; }
    UIColor GetTextColor() const noexcept { return textColor_; }
    const UIRect& GetTextPadding() const noexcept { return textPadding_; }
    unsigned GetTextStyle() const noexcept { return textStyle_; }

    bool UsesNativeWindow() const override { return true; }
    CUIString GetAccessibleValue() const override { return text_; }
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void SetPos(const UIRect& rect) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void DoInit() override;

protected:
    UIRole DefaultRole() const override { return UIRole::EditableText; }

    bool multiLine_ = false, readOnly_ = false, rich_ = true;
    bool wantTab_ = true, wantReturn_ = true, wantCtrlReturn_ = true;
    bool autoVScroll_ = false, autoHScroll_ = false, wantVScroll_ = false, wantHScroll_ = false;
    bool transparent_ = true;
    int maxChar_ = 30000, font_ = -1;
    UIColor textColor_ = 0;
    UIRect textPadding_;
    unsigned textStyle_ = UI_DT_LEFT | UI_DT_TOP;
};
