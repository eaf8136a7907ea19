#include "ListRows.h"

#include "VelGridView.h"
#include "VelGridViewPainter.h"

std::vector<std::wstring> ReadChildren(const VelGroupItem& group, const RowText& textOf, RowFilter which)
{
    std::vector<std::wstring> rows;
    for (const VelGroupItem::ItemPtr& row : group.GetChildren())
        if (which == RowFilter::kAll || row->IsVisible())
            rows.push_back(textOf(row.get()));
    return rows;
}

std::vector<GroupRows> ReadGroups(const VelGridView& grid, const RowText& textOf, RowFilter which)
{
    std::vector<GroupRows> groups;
    for (const VelGridView::GroupPtr& group : grid.GetGroups()) {
        if (which == RowFilter::kVisible && !group->IsVisible())
            continue;
        groups.push_back(GroupRows{group->GetText(), ReadChildren(*group, textOf, which)});
    }
    return groups;
}

std::wstring GroupsLine(const std::vector<GroupRows>& groups)
{
    std::wstring line;
    for (const GroupRows& group : groups) {
        line += (line.empty() ? L"" : L" | ") + group.header + L":";
        for (const std::wstring& row : group.rows)
            line += L" " + row;
    }
    return line;
}

std::vector<std::wstring> RowsOfGroups(const std::vector<GroupRows>& groups)
{
    std::vector<std::wstring> rows;
    for (const GroupRows& group : groups)
        rows.insert(rows.end(), group.rows.begin(), group.rows.end());
    return rows;
}

std::vector<std::wstring> ReadItems(const std::vector<VelItem*>& items, const RowText& textOf, RowFilter which)
{
    std::vector<std::wstring> texts;
    for (const VelItem* item : items)
        if (which == RowFilter::kAll || item->IsVisible())
            texts.push_back(textOf(item));
    return texts;
}

std::vector<std::vector<std::wstring>> ReadLayout(VelGridView& grid, const RowText& textOf, EmptyCells empty,
                                                  int columns)
{
    if (columns < 0)
        columns = grid.GetColumnCount();
    std::vector<std::vector<std::wstring>> rows;
    for (int r = 0; r < grid.GetPainter()->GetRowCount(); ++r) {
        std::vector<std::wstring> cells;
        for (int c = 0; c < columns; ++c) {
            const VelItem* item = grid.GetItemAtCell(c, r);
            if (item || empty == EmptyCells::kRead)
                cells.push_back(textOf(item));
        }
        rows.push_back(cells);
    }
    return rows;
}

std::wstring Joined(const std::vector<std::wstring>& texts, const std::wstring& separator)
{
    std::wstring joined;
    for (size_t i = 0; i < texts.size(); ++i)
        joined += (i ? separator : L"") + texts[i];
    return joined;
}
