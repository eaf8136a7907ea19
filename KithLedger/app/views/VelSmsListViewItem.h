#pragma once
#include "VelDatedItem.h"

#include <memory>
#include <string>

class VelSmsItem;

// One text message: an icon for received or sent, the text over the sender,
// the time (or, before this week, the day) at the right; bold while unread.
class VelSmsListViewItem : public VelDatedItem {
public:
    // Takes over the message: nobody else frees it once the list drops the row.
    explicit VelSmsListViewItem(VelSmsItem* message);
    ~VelSmsListViewItem() override;

    const wchar_t* GetClassName() const override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    void PaintOverlay(VelCanvas* canvas, const RECT& rect) override;
    void PaintState(VelCanvas* canvas, const RECT& rect) override;
    int Measure(VelCanvas* canvas) override;
    const VelDateTime* GetDate() const override;

    // The time label afresh; true when the message is unread.
    bool Refresh();

    VelSmsItem* GetMessage() const { return m_message.get(); }
    const std::wstring& GetTimeLabel() const { return m_timeLabel; }
    // The second line: the sender, or for a sent message without a name the
    // shared label, or else the address.
    std::wstring GetSecondLine() const;

private:
    std::unique_ptr<VelSmsItem> m_message;
    std::wstring m_timeLabel;
};
