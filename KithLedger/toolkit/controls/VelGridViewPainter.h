#pragma once
#include "VelPainter.h"
#include "VelPoint.h"

#include <climits>
#include <map>
#include <vector>

class VelCanvas;
class VelGridView;
class VelGroupItem;
class VelItem;

// Turns a grid view into a row-major table of cells and paints it: rows of
// cell items, groups that take a whole row, a floating label naming the group
// at the top. A scroll moves the pixels already painted and repaints only
// the rows it uncovered. Runs under the grid's lock.
class VelGridViewPainter : public VelPainter {
public:
    enum : int { kNoCell = INT_MAX };

    VelGridViewPainter(VelGridView* grid, const RECT& rect);

    void Paint(VelCanvas* canvas) override;

    // Rebuilds cells, rows and labels; returns the cell width. When all that
    // changed since the last layout is rows noted by NoteInserted, only they
    // are measured and the rest of the table is kept.
    int Layout(VelCanvas* canvas);
    // A row the grid added to a group; the next layout places it.
    void NoteInserted(VelItem* item, VelGroupItem* group);
    // Anything else changed: the next layout builds the table afresh.
    void RequireFullLayout();
    // (column, row) of a content point (view y plus the scroll position), or
    // (kNoCell, kNoCell) past the last row or column; `rect`, when given,
    // receives the cell's rectangle in view coordinates.
    VelPoint CellAtPoint(const VelPoint& point, RECT* rect = nullptr);
    // The first row whose bottom is at or below y; the row count when none is.
    int RowAtY(int y) const;
    DWORD GetItemCell(const VelItem* item, VelPoint& cell) const;
    VelRect GetCellRect(const VelItem* item, const VelPoint& cell) const;
    void GetVisibleRows(int position, int height, int& first, int& last);
    VelGroupItem* GroupAtY(int y) const;
    // The stored height of a group row, the grid's row height for others, -1 past the table.
    int GetRowHeight(int row) const;
    int MeasureRow(VelCanvas* canvas, int row) const;
    // Invalidates where the group's label is drawn (null: the label on screen);
    // false when there is nothing to invalidate.
    bool InvalidateLabel(VelGroupItem* group);
    void InvalidateTopLabel();
    void SetFullRepaint(bool full) { m_fullRepaint = full ? 1 : 0; }

    int GetRowCount() const { return int(m_rowBottoms.size()); }
    // Where row `row` ends, in content coordinates.
    int GetRowBottom(int row) const { return m_rowBottoms[row]; }
    int GetContentHeight() const { return m_rowBottoms.empty() ? 0 : m_rowBottoms.back(); }
    // The cell table entry, null for an empty cell or one past the table.
    VelItem* GetCell(int column, int row) const;
    int GetCellWidth() const { return m_cellWidth; }
    int GetTallestRow() const { return m_tallestRow; }
    VelGroupItem* GetCurrentLabel() const { return m_currentLabel; }
    void SetPendingScrollItem(VelItem* item) { m_pendingScrollItem = item; }
    // Drops every reference to an item that is about to go, so that nothing
    // reaches it before the next layout.
    void ForgetItem(const VelItem* item);
    // Drops the whole table until the next layout.
    void ForgetAll();

private:
    struct Section {
        int end;
        VelGroupItem* group;
    };
    struct Insertion {
        VelItem* item;
        VelGroupItem* group;
    };
    // A group as the last layout placed it.
    struct GroupShot {
        VelGroupItem* group;
        size_t children;
        int firstRow;
        int rows;
        bool headerShown;
        bool collapsed;
        // Its rows are its children, one each, in order: new ones can go between them.
        bool patchable;
    };
    // What the rows' heights and places depend on besides the items.
    struct Params {
        int columns;
        int rowHeight;
        int groupRowHeight;
        int separatorStyle;
        int separatorWidth;
        bool groupSeparators;
        bool hideEmptyGroups;
        bool groupLabels;
        const void* theme;
        bool operator==(const Params& other) const;
    };
    enum RowKind : BYTE { kCellRow = 0, kGroupRow = 1, kWholeRow = 2 };
    enum : size_t { kMostInserted = 512 };

    static RowKind KindOf(const VelItem* item);
    // A collapsed group: the children after it are not placed.
    static bool EndsRun(const VelItem* item);
    Params CurrentParams() const;
    // The cell table, and the kind and height without separators of each row.
    void BuildCells(VelCanvas* canvas);
    int MeasureBase(VelCanvas* canvas, int row, RowKind kind) const;
    // Places the noted rows into the table as it stands; false, with the
    // table untouched, when anything else changed.
    bool LayoutInserted(VelCanvas* canvas);
    // Bottoms, group sections and group row heights from the rows' heights.
    void AccumulateRows();
    void BuildLabels(VelCanvas* canvas);
    void ApplyScrollRange();
    void PaintVisible(VelCanvas* canvas);
    void PaintRows(VelCanvas* canvas, int position, int first, int last);
    void PaintLabel(VelCanvas* canvas, int position, int delta, int first, int last);
    // Rows [first, last] of the table, or false when the band holds none.
    bool ClampRows(int& first, int& last) const;
    bool IsSeparated() const;
    // True when the canvas may move what it shows: nothing else is drawn over the view.
    bool CanScroll(VelCanvas* canvas) const;
    VelRect ViewRect() const;

    VelGridView* m_grid;
    int m_cellWidth;
    int m_lastPosition;
    BYTE m_fullRepaint;
    VelGroupItem* m_currentLabel;
    VelItem* m_pendingScrollItem;
    std::map<int, int> m_rowHeights;
    std::vector<VelItem*> m_cells;
    std::vector<int> m_rowBottoms;
    std::map<VelGroupItem*, VelRect> m_labelRects;
    std::vector<Section> m_sections;
    int m_tallestRow;
    // Kept between layouts, a row each: its kind and its height without separators.
    std::vector<BYTE> m_rowKinds;
    std::vector<int> m_rowBases;
    std::vector<GroupShot> m_groupShots;
    std::vector<Insertion> m_inserted;
    bool m_needsFullLayout;
    Params m_params;
};
