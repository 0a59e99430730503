#pragma once
// A rich-text box drawn by the platform's rich-edit window (IUIHost::UpdateNativeControl).
// The core keeps its text and options, its inset and its scroll bars' looks.
#include "ui/pure/Container.h"

class CRichEditUI : public CContainerUI {
public:
    CRichEditUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    CUIString GetText() const override { return m_text; }
    void SetText(std::wstring_view text) override;
    // From the host: the native text changed (raises "textchanged").
    void OnNativeTextChanged(std::wstring_view text);

    bool IsMultiLine() const noexcept { return m_multiLine; }
    bool IsReadOnly() const noexcept { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool IsRich() const noexcept { return m_rich; }
    bool IsWantTab() const noexcept { return m_wantTab; }
    bool IsWantReturn() const noexcept { return m_wantReturn; }
    bool IsWantCtrlReturn() const noexcept { return m_wantCtrlReturn; }
    bool IsAutoVScroll() const noexcept { return m_autoVScroll; }
    bool IsAutoHScroll() const noexcept { return m_autoHScroll; }
    bool HasVScrollBar() const noexcept { return m_wantVScroll; }
    bool HasHScrollBar() const noexcept { return m_wantHScroll; }
    bool IsTransparent() const noexcept { return m_transparent; }
    int GetMaxChar() const noexcept { return m_maxChar; }
    int GetFont() const noexcept { return m_font; }
    UIColor GetTextColor() const noexcept { return m_textColor; }
    const UIRect& GetTextPadding() const noexcept { return m_textPadding; }
    unsigned GetTextStyle() const noexcept { return m_textStyle; }

    bool UsesNativeWindow() const override { return true; }
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void SetPos(const UIRect& rect) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void DoInit() override;

protected:
    bool m_multiLine = false, m_readOnly = false, m_rich = true;
    bool m_wantTab = true, m_wantReturn = true, m_wantCtrlReturn = true;
    bool m_autoVScroll = false, m_autoHScroll = false, m_wantVScroll = false, m_wantHScroll = false;
    bool m_transparent = true;
    int m_maxChar = 30000, m_font = -1;
    UIColor m_textColor = 0;
    UIRect m_textPadding;
    unsigned m_textStyle = UI_DT_LEFT | UI_DT_TOP;
};
