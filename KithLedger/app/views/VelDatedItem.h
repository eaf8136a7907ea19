#pragma once
#include "VelItem.h"

class VelDateTime;

// A row of the call and message lists: the lists group and order their rows
// by this date.
class VelDatedItem : public VelItem {
public:
    VelDatedItem(const std::wstring& key, DWORD state, bool cellItem);
    ~VelDatedItem() override;

    virtual const VelDateTime* GetDate() const = 0;
};
