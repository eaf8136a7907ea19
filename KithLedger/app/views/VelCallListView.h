#pragma once
#include "VelListTabView.h"

#include <cstdint>
#include <string>
#include <vector>

class VelDateTime;

// The calls tab: the call log, newest first, under date headers. A tap on the
// tab while it is current moves to the next filter: all, outgoing, incoming,
// missed. The caption carries the number of missed calls.
class VelCallListView : public VelListTabView {
public:
    enum : int { kViewId = 2, kPageId = 2 };
    enum : int { kAllCalls = 0, kOutgoingCalls = 1, kIncomingCalls = 2, kMissedCalls = 3 };

    VelCallListView(VelObject* parent, const std::string& name);
    ~VelCallListView() override;

    const wchar_t* GetClassName() const override;

    // A new load of the whole call log (the date changed).
    void StartLoad(const VelDateTime* today);
    // A change of the call log, handed to the data thread.
    void RequestRefresh(uint32_t code, uint32_t recordId);
    int GetFilterIndex() const { return m_filterIndex; }
    // A row's date header: its relative-date label and its date as the key;
    // none for a row without either.
    std::vector<VelListGrouping::GroupKey> GroupKey(const VelItem* row) const;
    // A date header, its date read back from the key.
    VelGroupItem* CreateGroupItem(const std::wstring& label, const std::wstring& key) const;

protected:
    void OnTabTappedAgain() override;

private:
    struct FilterRecord {
        TabLook look;
        VelListView::Predicate predicate;
    };

    std::vector<FilterRecord> m_filters;
    int m_filterIndex;
};
