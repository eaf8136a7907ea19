#include "VelDataItem.h"

VelDataItem::~VelDataItem() {}

std::wstring VelDataItem::ToString() const { return std::wstring(); }
