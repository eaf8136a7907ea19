#pragma once
#include <string>

// One record of a data source: a snapshot of copies, never a live platform
// object. Items outlive the table that made them.
class VelDataItem {
public:
    virtual ~VelDataItem();
    virtual std::wstring ToString() const;
};
