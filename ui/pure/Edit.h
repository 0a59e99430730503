#pragma once
// A single-line edit: shown like a label; while the user edits, the host lays a native
// edit window over it (IUIHost::BeginEdit) and hands the text back when editing ends.
#include "ui/pure/Label.h"

class CEditUI : public CLabelUI {
public:
    CEditUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    int GetMaxChar() const noexcept { return maxChar_; }
    void SetMaxChar(int maxChar);
    bool IsReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsNumberOnly() const noexcept { return numberOnly_; }
    void SetNumberOnly(bool numberOnly);
    bool IsPasswordMode() const noexcept { return password_; }
    void SetPasswordMode(bool password);
    wchar_t GetPasswordChar() const noexcept { return passwordChar_; }
    void SetPasswordChar(wchar_t c);
    UIColor GetNativeEditBkColor() const noexcept { return nativeBkColor_; }
    UIColor GetNativeEditTextColor() const noexcept { return nativeTextColor_; }

    const CUIString& GetNormalImage() const noexcept { return normalImage_; }
    const CUIString& GetHotImage() const noexcept { return hotImage_; }
    const CUIString& GetFocusedImage() const noexcept { return focusedImage_; }
    const CUIString& GetDisabledImage() const noexcept { return disabledImage_; }

    bool IsEditing() const noexcept { return editing_; }
    // Asks the host for the native edit window (a click or the keyboard focus does it).
    void BeginEdit();
    // From the host: the native text changed while editing (raises "textchanged").
    void OnNativeTextChanged(std::wstring_view text);
    // From the host: Return was pressed in the native edit (raises "return", then presses
    // the default button).
    void OnNativeReturn();
    // From the host: editing ended; the text is copied back (raises "textchanged" when different).
    void OnNativeEditEnd(std::wstring_view text);

    void SetText(std::wstring_view text) override;  // cut to maxchar
    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    void SetPos(const UIRect& rect) override;
    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void DoEvent(const UIEvent& event) override;
    void PaintBkColor(IRenderTarget& target) override;
    void PaintStatusImage(IRenderTarget& target) override;
    bool UsesNativeWindow() const override { return editing_; }
    CUIString GetAccessibleValue() const override { return password_ ? DisplayText() : text_; }

protected:
    UIRole DefaultRole() const override { return UIRole::EditableText; }
    CUIString DisplayText() const override;

    int maxChar_ = 255;
    bool readOnly_ = false, numberOnly_ = false, password_ = false, editing_ = false;
    bool hot_ = false;
    wchar_t passwordChar_ = L'*';
    UIColor nativeBkColor_ = 0xFFFFFFFF, nativeTextColor_ = 0;
    CUIString normalImage_, hotImage_, focusedImage_, disabledImage_;
};
