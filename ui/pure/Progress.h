#pragma once
// A progress bar: a label whose fore image fills the part min..value of min..max.
#include "ui/pure/Label.h"

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::wstring_view GetClass() const override;
    void* GetInterface(std::wstring_view name) override;

    bool IsHorizontal() const noexcept { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const noexcept { return min_; }
    void SetMinValue(int min);  // the maximum is kept above it
    int GetMaxValue() const noexcept { return max_; }
    void SetMaxValue(int max);  // forced to min + 1 when not above min
    int GetValue() const noexcept { return value_; }
    void SetValue(int value);   // clamped to [min, max]
    bool IsStretchForeImage() const noexcept { return stretchForeImage_; }
    void SetStretchForeImage(bool stretch = true);
    const CUIString& GetForeImage() const noexcept { return foreImage_; }
    void SetForeImage(std::wstring_view d) { foreImage_ = CUIString(d); Invalidate(); }

    // The filled part relative to the control's top-left corner.
    UIRect GetFillRect() const;

    // The filled share as a screen reader says it: "37%".
    CUIString GetAccessibleValue() const override;

    void SetAttribute(std::wstring_view name, std::wstring_view value) override;
    void PaintBkImage(IRenderTarget& target) override;
    void PaintStatusImage(IRenderTarget& target) override;

protected:
    UIRole DefaultRole() const override { return UIRole::ProgressBar; }
    bool horizontal_ = true, stretchForeImage_ = true;
    int min_ = 0, max_ = 100, value_ = 0;
    CUIString foreImage_;
};
