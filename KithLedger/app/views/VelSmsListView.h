#pragma once
#include "VelListTabView.h"
#include "VelListView.h"

#include <string>
#include <vector>

class VelDateTime;

// The messages tab: every text message, newest first, under date headers.
// The caption carries the number of unread messages.
class VelSmsListView : public VelListTabView {
public:
    enum : int { kViewId = 3, kPageId = 3 };
    enum : int { kMenuButtonId = 12 };

    VelSmsListView(VelObject* parent, const std::string& name);
    ~VelSmsListView() override;

    const wchar_t* GetClassName() const override;
    VelSmsListViewItem* FindSmsRow(const std::vector<BYTE>& entryId) const override;

    // A new load of every message (the date changed).
    void StartLoad(const VelDateTime* today);
};

// Finds the row whose message has these entry-id bytes.
VelListView::Predicate FindSmsItemId(const std::vector<BYTE>& entryId);
