#pragma once
#include "VelRect.h"
#include "VelUniqueHandle.h"

// Owns one GDI region and remembers whether it is known to be empty. A region
// made from a rectangle is flagged empty only when both sides are zero, so
// (5, 5, 5, 9) is empty to GDI yet not flagged.
class VelRegion {
public:
    VelRegion();
    explicit VelRegion(const RECT& rect);
    VelRegion(const VelRegion& other);
    VelRegion& operator=(const VelRegion& other);
    ~VelRegion();

    // Takes ownership of the handle.
    void Attach(HRGN handle);
    void SetRect(const RECT& rect);
    void Assign(const VelRegion& other);

    // Each returns the region type from CombineRgn (NULLREGION, SIMPLEREGION, ...).
    int Intersect(const VelRegion& other);
    int Union(const VelRegion& other);
    int Xor(const VelRegion& other);
    int Subtract(const VelRegion& other);

    void Offset(int dx, int dy);
    VelRect GetBounds() const;
    bool Equals(const VelRegion& other) const;
    int GetRectCount() const;
    // An empty rectangle when the index is not below the count.
    VelRect GetRect(int index) const;

    HRGN GetHandle() const { return m_handle.Get(); }
    bool IsEmpty() const { return m_empty != 0; }

private:
    int Combine(HRGN other, int mode);
    static BYTE EmptyFlagFor(const RECT& rect);

    VelGdiObject<HRGN> m_handle;
    BYTE m_empty;
};
