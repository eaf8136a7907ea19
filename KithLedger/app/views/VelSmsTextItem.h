#pragma once
#include "VelDetailItem.h"

#include <string>

// The message text of the message view, word-wrapped to the width it was made
// for and as high as the wrapped text.
class VelSmsTextItem : public VelDetailItem {
public:
    VelSmsTextItem(const std::wstring& text, int width);
    ~VelSmsTextItem() override;

    int Measure(VelCanvas* canvas) override;

    int GetAvailableWidth() const { return m_width; }

private:
    int m_width;
};
