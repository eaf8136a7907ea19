#pragma once
#include "VelItem.h"

#include <memory>
#include <string>

class VelContactItem;

// One contact row: the name over the primary number, the picture at the
// right, and the run of the name or number that the typed keys matched in
// bold. Favourites are drawn in their own colour.
class VelContactListViewItem : public VelItem {
public:
    enum MatchKind : int { kMatchNone = 0, kMatchName = 1, kMatchNumber = 2 };

    // Takes over the contact item.
    explicit VelContactListViewItem(VelContactItem* contact);
    ~VelContactListViewItem() override;

    const wchar_t* GetClassName() const override;
    void PaintBackground(VelCanvas* canvas, const RECT& rect) override;
    void PaintContent(VelCanvas* canvas, const RECT& rect) override;
    void PaintOverlay(VelCanvas* canvas, const RECT& rect) override;
    void PaintState(VelCanvas* canvas, const RECT& rect) override;
    int Measure(VelCanvas* canvas) override;
    std::wstring Dump() const override;

    VelContactItem* GetContact() const { return m_contact.get(); }
    int GetMatchKind() const { return m_matchKind; }
    int GetMatchStart() const { return m_matchStart; }
    int GetMatchLength() const { return m_matchLength; }
    // Set by the contacts filter each time it looks at the row.
    void SetMatch(int kind, int start, int length);

    // Every row has this height: a margin of a screen fraction over and
    // under the name line and the number line.
    static int GetRowHeight(VelCanvas* canvas);

private:
    // First, one byte: it packs into the padding at the end of the item's fields.
    BYTE m_matchKind;
    int m_matchStart;
    int m_matchLength;
    std::unique_ptr<VelContactItem> m_contact;
};
