#pragma once
// A single-line edit: shown like a label; while the user edits, the host lays a native
// edit window over it (IUIHost::BeginEdit) and hands the text back when editing ends.
#include "ui/pure/Label.h"

class CEditUI : public CLabelUI {
public:
    CEditUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    int GetMaxChar() const noexcept { return m_maxChar; }
    void SetMaxChar(int maxChar);
    bool IsReadOnly() const noexcept { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool IsNumberOnly() const noexcept { return m_numberOnly; }
    void SetNumberOnly(bool numberOnly);
    bool IsPasswordMode() const noexcept { return m_password; }
    void SetPasswordMode(bool password);
    wchar_t GetPasswordChar() const noexcept { return m_passwordChar; }
    void SetPasswordChar(wchar_t c);
    UIColor GetNativeEditBkColor() const noexcept { return m_nativeBkColor; }
    UIColor GetNativeEditTextColor() const noexcept { return m_nativeTextColor; }

    const CUIString& GetNormalImage() const noexcept { return m_normalImage; }
    const CUIString& GetHotImage() const noexcept { return m_hotImage; }
    const CUIString& GetFocusedImage() const noexcept { return m_focusedImage; }
    const CUIString& GetDisabledImage() const noexcept { return m_disabledImage; }

    bool IsEditing() const noexcept { return m_editing; }
    // Asks the host for the native edit window (a click or the keyboard focus does it).
    void BeginEdit();
    // From the host: the native text changed while editing (raises "textchanged").
    void OnNativeTextChanged(std::wstring_view text);
    // From the host: Return was pressed in the native edit (raises "return").
    void OnNativeReturn();
    // From the host: editing ended; the text is copied back (raises "textchanged" when different).
    void OnNativeEditEnd(std::wstring_view text);

    void SetText(std::wstring_view text) override;  // cut to maxchar
    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetPos(const UIRect& rect) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void DoEvent(const UIEvent& event) override;
    void PaintStatusImage(IRenderTarget& target) override;
    bool UsesNativeWindow() const override { return m_editing; }

protected:
    CUIString DisplayText() const override;

    int m_maxChar = 255;
    bool m_readOnly = false, m_numberOnly = false, m_password = false, m_editing = false;
    bool m_hot = false;
    wchar_t m_passwordChar = L'*';
    UIColor m_nativeBkColor = 0xFFFFFFFF, m_nativeTextColor = 0;
    CUIString m_normalImage, m_hotImage, m_focusedImage, m_disabledImage;
};
