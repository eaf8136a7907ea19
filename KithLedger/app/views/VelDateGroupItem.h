#pragma once
#include "VelGridView.h"
#include "VelGroupItem.h"

// A date header of the call and message lists.
class VelDateGroupItem : public VelGroupItem {
public:
    VelDateGroupItem(const std::wstring& text, const std::wstring& key, const SYSTEMTIME& date);
    ~VelDateGroupItem() override;

    virtual const SYSTEMTIME& GetDate() const;

private:
    SYSTEMTIME m_date;
};

// Newest first. A group without a date (the list's default group) goes after
// every dated one.
bool CompareGroupsByDate(const VelGridView::GroupPtr& first, const VelGridView::GroupPtr& second);
