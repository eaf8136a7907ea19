#pragma once
#include "VelDatedItem.h"

#include <memory>
#include <string>

class VelCallItem;

// One call of the log: an icon for missed, incoming or outgoing, the caller
// over the number, and the time (or, before this week, the day) at the right.
class VelCallListViewItem : public VelDatedItem {
public:
    // Takes over the call item.
    explicit VelCallListViewItem(VelCallItem* call);
    ~VelCallListViewItem() override;

    const wchar_t* GetClassName() const override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    void PaintOverlay(VelCanvas* canvas, const RECT& rect) override;
    void PaintState(VelCanvas* canvas, const RECT& rect) override;
    int Measure(VelCanvas* canvas) override;
    const VelDateTime* GetDate() const override;

    VelCallItem* GetCall() const { return m_call.get(); }
    const std::wstring& GetTimeLabel() const { return m_timeLabel; }

private:
    std::wstring m_timeLabel;
    std::unique_ptr<VelCallItem> m_call;
};

// The filters of the calls tab, over call rows; false for any other row.
bool IsOutgoingCall(const VelItem* row);
bool IsIncomingCall(const VelItem* row);
bool IsMissedCall(const VelItem* row);
