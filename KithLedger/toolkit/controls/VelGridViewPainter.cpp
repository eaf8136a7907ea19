#include "VelGridViewPainter.h"

#include "VelCanvas.h"
#include "VelCanvasTextState.h"
#include "VelGridView.h"
#include "VelItemIterator.h"
#include "VelTheme.h"

#include <algorithm>
#include <cstdlib>

VelGridViewPainter::VelGridViewPainter(VelGridView* grid, const RECT& rect)
    : m_grid(grid), m_cellWidth(0), m_lastPosition(0), m_fullRepaint(1), m_currentLabel(nullptr),
      m_pendingScrollItem(nullptr), m_tallestRow(INT_MIN), m_needsFullLayout(true), m_params()
{
    SetRect(rect);
}

VelRect VelGridViewPainter::ViewRect() const
{
    // The grid's own size, never the paint area: a layout during a partial
    // repaint must see the whole view.
    const VelRect client = m_grid->GetClientRect();
    return VelRect(0, 0, client.GetWidth(), client.GetHeight());
}

bool VelGridViewPainter::IsSeparated() const
{
    const int style = m_grid->GetSeparatorStyle();
    return style == 1 || style == 3;
}

// ---------------------------------------------------------------- layout

int VelGridViewPainter::Layout(VelCanvas* canvas)
{
    m_grid->PutGroupsInOrder();
    if (!LayoutInserted(canvas)) {
        BuildCells(canvas);
        if (m_grid->HasGroupLabels())
            BuildLabels(canvas);
    }
    AccumulateRows();
    m_params = CurrentParams();
    m_inserted.clear();
    m_needsFullLayout = false;
    m_cellWidth = int(unsigned(std::abs(ViewRect().GetWidth())) / unsigned(m_grid->m_columns));
    ApplyScrollRange();
    return m_cellWidth;
}

VelGridViewPainter::Params VelGridViewPainter::CurrentParams() const
{
    Params params;
    params.columns = m_grid->m_columns;
    params.rowHeight = m_grid->GetRowHeight();
    params.groupRowHeight = m_grid->GetGroupRowHeight();
    params.separatorStyle = m_grid->GetSeparatorStyle();
    params.separatorWidth = m_grid->GetSeparatorWidth();
    params.groupSeparators = m_grid->HasGroupSeparators();
    params.hideEmptyGroups = m_grid->GetHideEmptyGroups();
    params.groupLabels = m_grid->HasGroupLabels();
    params.theme = CurrentTheme;
    return params;
}

bool VelGridViewPainter::Params::operator==(const Params& other) const
{
    return columns == other.columns && rowHeight == other.rowHeight && groupRowHeight == other.groupRowHeight &&
           separatorStyle == other.separatorStyle && separatorWidth == other.separatorWidth &&
           groupSeparators == other.groupSeparators && hideEmptyGroups == other.hideEmptyGroups &&
           groupLabels == other.groupLabels && theme == other.theme;
}

void VelGridViewPainter::NoteInserted(VelItem* item, VelGroupItem* group)
{
    if (m_needsFullLayout)
        return;
    // Past a few hundred rows at once a whole layout costs no more.
    if (m_inserted.size() >= kMostInserted) {
        RequireFullLayout();
        return;
    }
    m_inserted.push_back(Insertion{item, group});
}

void VelGridViewPainter::RequireFullLayout()
{
    m_needsFullLayout = true;
    m_inserted.clear();
}

VelGridViewPainter::RowKind VelGridViewPainter::KindOf(const VelItem* item)
{
    if (!item || item->IsCellItem())
        return kCellRow;
    return dynamic_cast<const VelGroupItem*>(item) ? kGroupRow : kWholeRow;
}

bool VelGridViewPainter::EndsRun(const VelItem* item)
{
    return !item->IsCellItem() && item->IsGroup() && item->IsCollapsed();
}

int VelGridViewPainter::MeasureBase(VelCanvas* canvas, int row, RowKind kind) const
{
    const VelItem* first = m_cells[size_t(row * m_grid->m_columns)];
    if (kind == kCellRow) {
        const int height = m_grid->GetRowHeight();
        return height == -1 ? MeasureRow(canvas, row) : height;
    }
    const int height = m_grid->GetGroupRowHeight();
    return height == -1 ? const_cast<VelItem*>(first)->Measure(canvas) : height;
}

void VelGridViewPainter::BuildCells(VelCanvas* canvas)
{
    const size_t columns = size_t(m_grid->m_columns);
    const size_t items = size_t(m_grid->GetItemCount());
    const bool hideEmpty = m_grid->GetHideEmptyGroups();
    m_cells.clear();
    m_cells.reserve((items + columns - 1) / columns * columns);
    m_groupShots.clear();
    m_groupShots.reserve(m_grid->GetGroups().size());
    m_rowKinds.clear();
    m_rowBases.clear();
    m_rowKinds.reserve(m_cells.capacity() / columns);
    m_rowBases.reserve(m_cells.capacity() / columns);
    // Each row is measured once its cells are in, while they are still at
    // hand: a second walk over many thousand rows would reach each again.
    auto measureFilled = [&] {
        while ((m_rowKinds.size() + 1) * columns <= m_cells.size()) {
            const int row = int(m_rowKinds.size());
            const RowKind kind = KindOf(m_cells[size_t(row) * columns]);
            m_rowKinds.push_back(BYTE(kind));
            m_rowBases.push_back(MeasureBase(canvas, row, kind));
        }
    };
    // True when the item takes a cell.
    auto place = [&](VelItem* item) {
        const bool wholeRow = !item->IsCellItem();
        if (wholeRow) {
            while (m_cells.size() % columns)
                m_cells.push_back(nullptr);
            if (hideEmpty)
                item->SetVisible(item->HasChildren());
        }
        const bool shown = !item->IsHidden();
        if (shown) {
            m_cells.push_back(item);
            if (wholeRow)
                while (m_cells.size() % columns)
                    m_cells.push_back(item);
        }
        return shown;
    };
    for (const VelGridView::GroupPtr& group : m_grid->GetGroups()) {
        GroupShot shot;
        shot.group = group.get();
        shot.children = group->GetChildCount();
        shot.firstRow = int(m_cells.size() / columns);
        shot.headerShown = place(group.get());
        measureFilled();
        shot.collapsed = EndsRun(group.get());
        size_t shownChildren = 0;
        bool cellsOnly = true;
        if (!shot.collapsed) {
            for (const VelGroupItem::ItemPtr& child : group->GetChildren()) {
                if (place(child.get()))
                    ++shownChildren;
                measureFilled();
                cellsOnly = cellsOnly && child->IsCellItem();
                if (EndsRun(child.get())) {
                    cellsOnly = false;
                    break;
                }
            }
        }
        // One row a child, in the children's order: what an insertion can patch.
        shot.patchable = columns == 1 && cellsOnly && shownChildren == shot.children;
        shot.rows = int(m_cells.size() / columns) - shot.firstRow;
        m_groupShots.push_back(shot);
    }
    while (m_cells.size() % columns)
        m_cells.push_back(nullptr);
    measureFilled();
}

bool VelGridViewPainter::LayoutInserted(VelCanvas* canvas)
{
    const VelGridView::Groups& groups = m_grid->GetGroups();
    if (m_needsFullLayout || !(m_params == CurrentParams()) || m_groupShots.size() != groups.size() ||
        m_grid->m_columns != 1 || m_grid->GetHideEmptyGroups() || m_rowKinds.size() != m_cells.size())
        return false;
    // Every change since the last layout must be one of the insertions
    // noted: the groups as they were, each with its new rows and no other.
    std::vector<const VelItem*> inserted;
    inserted.reserve(m_inserted.size());
    for (const Insertion& insertion : m_inserted) {
        if (insertion.item->IsHidden() || !insertion.item->IsCellItem())
            return false;
        inserted.push_back(insertion.item);
    }
    std::sort(inserted.begin(), inserted.end());
    if (std::adjacent_find(inserted.begin(), inserted.end()) != inserted.end())
        return false;
    std::vector<size_t> added(groups.size(), 0);
    for (const Insertion& insertion : m_inserted) {
        size_t g = 0;
        while (g < groups.size() && groups[g].get() != insertion.group)
            ++g;
        if (g == groups.size())
            return false;
        ++added[g];
    }
    for (size_t g = 0; g < groups.size(); ++g) {
        const GroupShot& shot = m_groupShots[g];
        VelGroupItem* group = groups[g].get();
        if (shot.group != group || shot.headerShown == group->IsHidden() || shot.collapsed != EndsRun(group) ||
            group->GetChildCount() != shot.children + added[g])
            return false;
        if (added[g] && !shot.collapsed && !shot.patchable)
            return false;
    }

    std::vector<VelItem*> cells;
    std::vector<BYTE> kinds;
    std::vector<int> bases;
    cells.reserve(m_cells.size() + m_inserted.size());
    kinds.reserve(cells.capacity());
    bases.reserve(cells.capacity());
    auto copyRows = [&](int first, int count) {
        cells.insert(cells.end(), m_cells.begin() + first, m_cells.begin() + first + count);
        kinds.insert(kinds.end(), m_rowKinds.begin() + first, m_rowKinds.begin() + first + count);
        bases.insert(bases.end(), m_rowBases.begin() + first, m_rowBases.begin() + first + count);
    };
    std::vector<GroupShot> shots = m_groupShots;
    for (size_t g = 0; g < groups.size(); ++g) {
        GroupShot& shot = shots[g];
        const int firstRow = int(cells.size());
        if (!added[g] || shot.collapsed) {
            copyRows(shot.firstRow, shot.rows);
        } else {
            const int header = shot.headerShown ? 1 : 0;
            copyRows(shot.firstRow, header);
            // The old rows keep their order; the new ones come between them.
            int old = shot.firstRow + header;
            const int oldEnd = shot.firstRow + shot.rows;
            for (const VelGroupItem::ItemPtr& child : groups[g]->GetChildren()) {
                if (old < oldEnd && m_cells[size_t(old)] == child.get()) {
                    copyRows(old++, 1);
                    continue;
                }
                if (!std::binary_search(inserted.begin(), inserted.end(), child.get()))
                    return false;
                cells.push_back(child.get());
                kinds.push_back(BYTE(kCellRow));
                const int height = m_grid->GetRowHeight();
                bases.push_back(height == -1 ? std::max(child->Measure(canvas), 0) : height);
            }
            if (old != oldEnd)
                return false;
        }
        shot.children = groups[g]->GetChildCount();
        shot.firstRow = firstRow;
        shot.rows = int(cells.size()) - firstRow;
    }
    m_cells.swap(cells);
    m_rowKinds.swap(kinds);
    m_rowBases.swap(bases);
    m_groupShots.swap(shots);
    return true;
}

void VelGridViewPainter::AccumulateRows()
{
    m_sections.clear();
    m_rowBottoms.clear();
    m_rowHeights.clear();
    m_tallestRow = INT_MIN;
    const int columns = m_grid->m_columns;
    const int rows = int(m_cells.size()) / columns;
    const bool separated = IsSeparated();
    const int width = m_grid->GetSeparatorWidth();
    const bool groupSeparators = m_grid->HasGroupSeparators();
    m_rowBottoms.reserve(size_t(rows));
    VelGroupItem* group = nullptr;
    int bottom = 0;
    for (int r = 0; r < rows; ++r) {
        const RowKind kind = RowKind(m_rowKinds[size_t(r)]);
        int separator = 0;
        if (separated && r > 0) {
            // The row above starts with a cell item, or with nothing at all (an empty cell is no separator).
            const VelItem* previous = m_cells[size_t((r - 1) * columns)];
            const bool previousCell = previous && RowKind(m_rowKinds[size_t(r - 1)]) == kCellRow;
            if (previousCell || groupSeparators)
                separator = width;
        }
        int height;
        if (kind == kCellRow) {
            height = m_rowBases[size_t(r)] + separator + (separated ? width : 0);
        } else {
            if (kind == kGroupRow) {
                if (group)
                    m_sections.push_back(Section{bottom, group});
                group = static_cast<VelGroupItem*>(m_cells[size_t(r * columns)]);
            }
            height = m_rowBases[size_t(r)] + separator;
            m_rowHeights[r] = height;
        }
        bottom += height;
        m_tallestRow = std::max(m_tallestRow, height);
        m_rowBottoms.push_back(bottom);
    }
    if (group)
        m_sections.push_back(Section{bottom, group});
}

void VelGridViewPainter::BuildLabels(VelCanvas* canvas)
{
    m_labelRects.clear();
    if (!CurrentTheme)
        return;
    const int viewWidth = std::abs(ViewRect().GetWidth());
    const int top = std::max(m_grid->GetLabelTop(), 0);
    VelCanvasTextState state(canvas);
    canvas->SetFont(CurrentTheme->GetLargeFont());
    for (const VelGridView::GroupPtr& group : m_grid->GetGroups()) {
        if (group->IsHidden())
            continue;
        const SIZE size = canvas->MeasureText(group->GetText());
        const int width = size.cx + (size.cx & 1);
        const int x = std::max(viewWidth / 2 - width / 2, 0);
        m_labelRects[group.get()] = VelRect(x, top, x + width, top + size.cy);
    }
}

void VelGridViewPainter::ApplyScrollRange()
{
    VelScrollState* state = m_grid->GetScrollState();
    state->maximum = std::max(GetContentHeight() - ViewRect().GetHeight(), 0);
    state->secondMinimum = 0;
    state->secondMaximum = 0;
}

// ---------------------------------------------------------------- hit tests

int VelGridViewPainter::RowAtY(int y) const
{
    return int(std::lower_bound(m_rowBottoms.begin(), m_rowBottoms.end(), y) - m_rowBottoms.begin());
}

VelPoint VelGridViewPainter::CellAtPoint(const VelPoint& point, RECT* rect)
{
    const VelPoint none(kNoCell, kNoCell);
    const int row = RowAtY(point.y);
    if (row >= GetRowCount() || m_cellWidth <= 0)
        return none;
    // Unsigned, so that a point left of the view is past the last column.
    const unsigned column = unsigned(point.x) / unsigned(m_cellWidth);
    if (column >= unsigned(m_grid->m_columns))
        return none;
    const VelPoint cell(int(column), row);
    if (rect)
        *rect = GetCellRect(GetCell(cell.x, cell.y), cell);
    return cell;
}

VelItem* VelGridViewPainter::GetCell(int column, int row) const
{
    const int columns = m_grid->m_columns;
    if (column < 0 || column >= columns || row < 0)
        return nullptr;
    const size_t index = size_t(column) + size_t(columns) * size_t(row);
    return index < m_cells.size() ? m_cells[index] : nullptr;
}

DWORD VelGridViewPainter::GetItemCell(const VelItem* item, VelPoint& cell) const
{
    std::vector<VelItem*>::const_iterator found = std::find(m_cells.begin(), m_cells.end(), item);
    if (!item || found == m_cells.end())
        return VelGridView::kStatusNotLaidOut;
    const int index = int(found - m_cells.begin());
    cell = VelPoint(index % m_grid->m_columns, index / m_grid->m_columns);
    return 0;
}

VelRect VelGridViewPainter::GetCellRect(const VelItem* item, const VelPoint& cell) const
{
    if (cell.y < 0 || cell.y >= GetRowCount() || cell.x < 0)
        return VelRect();
    const VelRect view = ViewRect();
    const int position = m_grid->GetScrollState()->position;
    const int left = cell.x * m_cellWidth;
    const int right = item && !item->IsCellItem() ? view.right : (cell.x + 1) * m_cellWidth;
    int top = (cell.y == 0 ? 0 : m_rowBottoms[size_t(cell.y - 1)] + 1) - position;
    int bottom = m_rowBottoms[size_t(cell.y)] - position;
    top = std::max(top, 0);
    bottom = std::min(bottom, int(view.bottom));
    if (bottom < top)
        bottom = top;
    return VelRect(left, top, right, bottom);
}

void VelGridViewPainter::GetVisibleRows(int position, int height, int& first, int& last)
{
    first = CellAtPoint(VelPoint(0, position)).y;
    last = CellAtPoint(VelPoint(0, position + height)).y;
}

VelGroupItem* VelGridViewPainter::GroupAtY(int y) const
{
    for (const Section& section : m_sections)
        if (unsigned(section.end) >= unsigned(y))
            return section.group;
    return nullptr;
}

int VelGridViewPainter::GetRowHeight(int row) const
{
    if (row < 0 || row >= int(m_cells.size()) / m_grid->m_columns)
        return -1;
    std::map<int, int>::const_iterator stored = m_rowHeights.find(row);
    return stored != m_rowHeights.end() ? stored->second : m_grid->GetRowHeight();
}

int VelGridViewPainter::MeasureRow(VelCanvas* canvas, int row) const
{
    const int columns = m_grid->m_columns;
    if (columns < 1)
        return -1;
    int tallest = 0;
    for (int c = 0; c < columns; ++c)
        if (VelItem* item = GetCell(c, row))
            tallest = std::max(tallest, item->Measure(canvas));
    return tallest;
}

// ---------------------------------------------------------------- labels

bool VelGridViewPainter::InvalidateLabel(VelGroupItem* group)
{
    if (!group)
        group = m_currentLabel;
    if (!group)
        return false;
    std::map<VelGroupItem*, VelRect>::const_iterator found = m_labelRects.find(group);
    if (found == m_labelRects.end())
        return false;
    VelRect area = found->second;
    area.Inflate(1, 1);
    area.left = std::max(area.left, LONG(0));
    area.top = std::max(area.top, LONG(0));
    m_grid->Invalidate(&area);
    return true;
}

void VelGridViewPainter::InvalidateTopLabel()
{
    if (!m_grid->HasGroupLabels() || m_grid->GetLabelMode() != VelGridView::kLabelWhileScrolling)
        return;
    if (VelGroupItem* group = GroupAtY(m_grid->GetScrollState()->position))
        InvalidateLabel(group);
}

// ---------------------------------------------------------------- forgetting

void VelGridViewPainter::ForgetItem(const VelItem* item)
{
    RequireFullLayout();
    std::replace(m_cells.begin(), m_cells.end(), const_cast<VelItem*>(item), static_cast<VelItem*>(nullptr));
    for (Section& section : m_sections)
        if (section.group == item)
            section.group = nullptr;
    m_labelRects.erase(static_cast<VelGroupItem*>(const_cast<VelItem*>(item)));
    if (m_currentLabel == item)
        m_currentLabel = nullptr;
    if (m_pendingScrollItem == item)
        m_pendingScrollItem = nullptr;
}

void VelGridViewPainter::ForgetAll()
{
    RequireFullLayout();
    m_cells.clear();
    m_rowKinds.clear();
    m_rowBases.clear();
    m_groupShots.clear();
    m_rowBottoms.clear();
    m_rowHeights.clear();
    m_sections.clear();
    m_labelRects.clear();
    m_currentLabel = nullptr;
    m_pendingScrollItem = nullptr;
}

// ---------------------------------------------------------------- painting

void VelGridViewPainter::Paint(VelCanvas* canvas)
{
    if (m_grid->IsLayoutDirty()) {
        m_fullRepaint = 1;
        Layout(canvas);
        m_grid->ClearRedrawQueue();
        const VelScrollState* state = m_grid->GetScrollState();
        if (state->position > state->maximum)
            m_grid->ScrollTo(state->maximum, true);
        if (CurrentTheme)
            CurrentTheme->DrawGridBackground(canvas, ViewRect(), m_grid);
        m_grid->Notified.Invoke(m_grid, nullptr);
        m_grid->SetLayoutDirty(false);
    }
    if (VelItem* item = m_pendingScrollItem) {
        m_pendingScrollItem = nullptr;
        m_grid->ScrollToItem(item);
    }
    PaintVisible(canvas);
}

bool VelGridViewPainter::CanScroll(VelCanvas* canvas) const
{
    // Pixels the grid does not own (a sibling drawn over it) or does not
    // repaint in this pass (outside the dirty area) would move with the rows.
    VelRegion outside(canvas->ToCanvasRect(ViewRect()));
    outside.Subtract(canvas->GetSelectedClipRegion());
    return outside.GetRectCount() == 0;
}

bool VelGridViewPainter::ClampRows(int& first, int& last) const
{
    if (first > last)
        std::swap(first, last);
    const int rows = GetRowCount();
    if (rows == 0 || first >= rows)
        return false;
    first = std::max(first, 0);
    last = std::min(last, rows - 1);
    return true;
}

void VelGridViewPainter::PaintVisible(VelCanvas* canvas)
{
    if (m_rect.IsEmpty() || !CurrentTheme)
        return;
    const VelRect view = ViewRect();
    const VelScrollState* state = m_grid->GetScrollState();
    const int position = state->position;
    int delta = m_lastPosition - position;
    m_lastPosition = position;
    if (std::abs(delta) >= view.GetHeight()) {
        m_fullRepaint = 1;
        delta = view.GetHeight();
    }
    if (delta != 0 && !m_fullRepaint && !CanScroll(canvas))
        m_fullRepaint = 1;

    int first;
    int last;
    if (m_fullRepaint)
        GetVisibleRows(position, view.GetHeight(), first, last);
    else if (delta < 0) {
        first = CellAtPoint(VelPoint(0, position + view.GetHeight() + delta)).y;
        last = CellAtPoint(VelPoint(0, position + view.GetHeight())).y;
    } else if (delta > 0) {
        first = CellAtPoint(VelPoint(0, position)).y;
        last = CellAtPoint(VelPoint(0, position + delta)).y;
    } else
        GetVisibleRows(m_rect.top + position, m_rect.GetHeight(), first, last);
    // A band wholly below the content has no rows; one reaching past it ends at the last.
    const bool anyRows = ClampRows(first, last);

    // Item text goes over the item's own background, never in a box of its own.
    VelCanvasTextState text(canvas);
    canvas->SetOpaque(false);

    if (delta != 0 && !m_fullRepaint)
        canvas->Scroll(0, delta, &view, nullptr);
    if (position < state->minimum)
        CurrentTheme->DrawGridBackground(canvas, VelRect(0, 0, view.right, state->minimum - position), m_grid);
    if (anyRows)
        PaintRows(canvas, position, first, last);
    PaintLabel(canvas, position, delta, anyRows ? first : 1, anyRows ? last : 0);

    int visibleFirst;
    int visibleLast;
    GetVisibleRows(position, view.GetHeight(), visibleFirst, visibleLast);
    if (ClampRows(visibleFirst, visibleLast)) {
        for (const VelGridView::Redraw& redraw : m_grid->m_redrawQueue) {
            const int row = redraw.cell.y;
            if (row < visibleFirst || row > visibleLast || (anyRows && row >= first && row <= last))
                continue;
            PaintRows(canvas, position, row, row);
        }
    }
    m_grid->ClearRedrawQueue();

    // Below the content: past the end while pulled up, or a list shorter than the view.
    const int contentBottom = GetContentHeight() - position;
    if (contentBottom < view.bottom)
        CurrentTheme->DrawGridBackground(canvas, VelRect(0, std::max(contentBottom, 0), view.right, view.bottom),
                                         m_grid);
    m_fullRepaint = 0;
}

void VelGridViewPainter::PaintRows(VelCanvas* canvas, int position, int first, int last)
{
    if (!ClampRows(first, last))
        return;
    const int columns = m_grid->m_columns;
    const int viewWidth = ViewRect().right;
    const bool separated = IsSeparated();
    const bool groupSeparators = m_grid->HasGroupSeparators();
    const int separatorWidth = m_grid->GetSeparatorWidth();
    int y = (first == 0 ? 0 : m_rowBottoms[size_t(first - 1)]) - position;
    for (int r = first; r <= last; ++r) {
        const int rowHeight = m_rowBottoms[size_t(r)] - (r == 0 ? 0 : m_rowBottoms[size_t(r - 1)]);
        VelItem* lastPainted = nullptr;
        for (int c = 0; c < columns; ++c) {
            VelItem* item = GetCell(c, r);
            if (!item) {
                CurrentTheme->DrawGridBackground(
                    canvas, VelRect(c * m_cellWidth, y, (c + 1) * m_cellWidth, y + rowHeight), m_grid);
                lastPainted = nullptr;
                continue;
            }
            const VelItem* above = r > 0 ? GetCell(c, r - 1) : nullptr;
            VelRect rect(c * m_cellWidth, y, item->IsCellItem() ? (c + 1) * m_cellWidth : viewWidth, y + rowHeight);
            if (separated && item->IsCellItem() && above && (above->IsCellItem() || groupSeparators))
                rect.top += separatorWidth;
            const bool pressed =
                item == m_grid->m_pressedItem && m_grid->m_pressedCell == VelPoint(c, r) && !item->IsPressed();
            // Only for this paint, and without an event: the press is the grid's, not the item's.
            if (pressed)
                item->TogglePressed();
            item->PaintAll(canvas, rect);
            if (pressed)
                item->TogglePressed();
            lastPainted = item;
            if (!item->IsCellItem())
                break;
        }
        if (separated) {
            const VelItem* above = r > 0 ? GetCell(0, r - 1) : nullptr;
            const bool nextToGroup = (lastPainted && !lastPainted->IsCellItem()) || (above && !above->IsCellItem());
            const VelPoint from(0, y);
            const VelPoint to(viewWidth, y + separatorWidth - 1);
            if (!nextToGroup)
                CurrentTheme->DrawGridLine(canvas, from, to);
            else if (groupSeparators)
                CurrentTheme->DrawGridThickLine(canvas, from, to);
        }
        y += rowHeight;
    }
}

void VelGridViewPainter::PaintLabel(VelCanvas* canvas, int position, int delta, int first, int last)
{
    if (!m_grid->HasGroupLabels())
        return;
    VelGroupItem* group = GroupAtY(position);
    const int mode = m_grid->GetLabelMode();
    const bool show =
        group && (mode == VelGridView::kLabelAlways ||
                  (mode == VelGridView::kLabelWhileScrolling && (m_grid->IsScrolling() || m_grid->IsLabelShown())));
    VelGroupItem* under = m_currentLabel ? m_currentLabel : (show ? group : nullptr);
    std::map<VelGroupItem*, VelRect>::const_iterator old = under ? m_labelRects.find(under) : m_labelRects.end();
    if (old != m_labelRects.end()) {
        // The old label moved with the rows by delta: its band either way is repainted.
        const VelRect& rect = old->second;
        int from = CellAtPoint(VelPoint(0, rect.top + position + std::min(delta, 0))).y;
        int to = CellAtPoint(VelPoint(0, rect.bottom + position + std::max(delta, 0))).y;
        if (ClampRows(from, to))
            for (int r = from; r <= to; ++r)
                if (r < first || r > last)
                    PaintRows(canvas, position, r, r);
    }
    std::map<VelGroupItem*, VelRect>::const_iterator place = group ? m_labelRects.find(group) : m_labelRects.end();
    if (show && place != m_labelRects.end()) {
        CurrentTheme->DrawGridLabel(canvas, group->GetText(), VelPoint(place->second.left, place->second.top));
        m_currentLabel = group;
    } else
        m_currentLabel = nullptr;
}
