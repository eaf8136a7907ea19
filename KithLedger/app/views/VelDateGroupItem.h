#pragma once
#include "VelGridView.h"
#include "VelGroupItem.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct VelListGrouping;

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

// A dated row's group: its date's relative label, with the date written out
// as the key; none for a row without a date or a label.
std::vector<std::pair<std::wstring, std::wstring>> DateGroupKey(const VelItem* row);
// A date header, its date read back from the key.
VelGroupItem* CreateDateGroupItem(const std::wstring& label, const std::wstring& key);
// The call and message lists' grouping: rows under date headers, both newest first.
std::unique_ptr<VelListGrouping> MakeDateGrouping();
