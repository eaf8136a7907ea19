#include "VelDatedItem.h"

VelDatedItem::VelDatedItem(const std::wstring& key, DWORD state, bool cellItem) : VelItem(key, state, cellItem) {}

VelDatedItem::~VelDatedItem() {}
