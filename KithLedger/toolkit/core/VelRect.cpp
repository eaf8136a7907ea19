#include "VelRect.h"

#include <cstdlib>

int VelRect::GetWidth() const { return std::abs(left - right); }

int VelRect::GetHeight() const { return std::abs(top - bottom); }

SIZE VelRect::GetSize() const { return SIZE{GetWidth(), GetHeight()}; }

void VelRect::Offset(int dx, int dy) { ::OffsetRect(this, dx, dy); }

void VelRect::MoveToOrigin() { Offset(-left, -top); }

void VelRect::Inflate(int dx, int dy) { ::InflateRect(this, dx, dy); }

void VelRect::Intersect(const RECT& other)
{
    RECT source = *this;
    ::IntersectRect(this, &source, &other);
}

bool VelRect::operator==(const RECT& other) const { return ::EqualRect(this, &other) != FALSE; }

bool VelRect::Contains(const RECT& other) const
{
    return other.left >= left && other.top >= top && other.right <= right && other.bottom <= bottom;
}

bool VelRect::ContainsPoint(const VelPoint& point) const { return ::PtInRect(this, point.ToPoint()) != FALSE; }

bool VelRect::IsEmpty() const { return GetWidth() == 0 && GetHeight() == 0; }

std::wstring VelRect::ToString() const
{
    wchar_t text[256];
    ::wsprintfW(text, L"left=%d top=%d right=%d bottom=%d", left, top, right, bottom);
    return text;
}
