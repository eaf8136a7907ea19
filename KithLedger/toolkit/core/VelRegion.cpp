#include "VelRegion.h"

#include <vector>

namespace {

std::vector<BYTE> ReadRegionData(HRGN region)
{
    std::vector<BYTE> data;
    const DWORD size = ::GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        return data;
    data.resize(size);
    if (::GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())) != size)
        data.clear();
    return data;
}

}  // namespace

VelRegion::VelRegion() : m_handle(::CreateRectRgn(0, 0, 0, 0)), m_empty(1) {}

VelRegion::VelRegion(const RECT& rect) : m_handle(::CreateRectRgnIndirect(&rect)), m_empty(EmptyFlagFor(rect)) {}

VelRegion::VelRegion(const VelRegion& other) : VelRegion() { Assign(other); }

VelRegion& VelRegion::operator=(const VelRegion& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

VelRegion::~VelRegion() {}

BYTE VelRegion::EmptyFlagFor(const RECT& rect) { return VelRect(rect).IsEmpty() ? 1 : 0; }

int VelRegion::Combine(HRGN other, int mode)
{
    const int type = ::CombineRgn(m_handle.Get(), m_handle.Get(), other, mode);
    m_empty = type == NULLREGION ? 1 : 0;
    return type;
}

void VelRegion::Attach(HRGN handle)
{
    if (handle == m_handle.Get())
        return;
    m_handle.Reset(handle);
    Combine(nullptr, RGN_COPY);
}

void VelRegion::SetRect(const RECT& rect)
{
    m_handle.Reset(::CreateRectRgnIndirect(&rect));
    // Keeping the old flag would let a real rectangle claim to be empty.
    m_empty = EmptyFlagFor(rect);
}

void VelRegion::Assign(const VelRegion& other)
{
    const int type = ::CombineRgn(m_handle.Get(), other.m_handle.Get(), nullptr, RGN_COPY);
    m_empty = type == NULLREGION ? 1 : 0;
}

int VelRegion::Intersect(const VelRegion& other) { return Combine(other.m_handle.Get(), RGN_AND); }

int VelRegion::Union(const VelRegion& other) { return Combine(other.m_handle.Get(), RGN_OR); }

int VelRegion::Xor(const VelRegion& other) { return Combine(other.m_handle.Get(), RGN_XOR); }

int VelRegion::Subtract(const VelRegion& other) { return Combine(other.m_handle.Get(), RGN_DIFF); }

void VelRegion::Offset(int dx, int dy) { ::OffsetRgn(m_handle.Get(), dx, dy); }

VelRect VelRegion::GetBounds() const
{
    VelRect bounds;
    ::GetRgnBox(m_handle.Get(), &bounds);
    return bounds;
}

bool VelRegion::Equals(const VelRegion& other) const { return ::EqualRgn(m_handle.Get(), other.m_handle.Get()) == 1; }

int VelRegion::GetRectCount() const
{
    const std::vector<BYTE> data = ReadRegionData(m_handle.Get());
    return data.empty() ? 0 : reinterpret_cast<const RGNDATA*>(data.data())->rdh.nCount;
}

VelRect VelRegion::GetRect(int index) const
{
    const std::vector<BYTE> data = ReadRegionData(m_handle.Get());
    if (data.empty() || index < 0)
        return VelRect();
    const RGNDATA* region = reinterpret_cast<const RGNDATA*>(data.data());
    if (static_cast<DWORD>(index) >= region->rdh.nCount)
        return VelRect();
    return reinterpret_cast<const RECT*>(region->Buffer)[index];
}
