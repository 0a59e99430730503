#pragma once
// A progress bar: a label whose fore image fills the part min..value of min..max.
#include "ui/pure/Label.h"

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    bool IsHorizontal() const noexcept { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const noexcept { return m_min; }
    void SetMinValue(int min);  // the maximum is kept above it
    int GetMaxValue() const noexcept { return m_max; }
    void SetMaxValue(int max);  // forced to min + 1 when not above min
    int GetValue() const noexcept { return m_value; }
    void SetValue(int value);   // clamped to [min, max]
    bool IsStretchForeImage() const noexcept { return m_stretchForeImage; }
    void SetStretchForeImage(bool stretch = true);
    const CUIString& GetForeImage() const noexcept { return m_foreImage; }
    void SetForeImage(std::wstring_view d) { m_foreImage = CUIString(d); Invalidate(); }

    // The filled part relative to the control's top-left corner.
    UIRect GetFillRect() const;

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void PaintStatusImage(IRenderTarget& target) override;

protected:
    bool m_horizontal = true, m_stretchForeImage = true;
    int m_min = 0, m_max = 100, m_value = 0;
    CUIString m_foreImage;
};
