#pragma once
// What a list or grid holds, read back as the texts a test knows its rows by:
// the groups with their rows, the items in the order they came, or the rows
// as the painter lays them out.
#include <functional>
#include <string>
#include <vector>

class VelGridView;
class VelGroupItem;
class VelItem;

// The text of one row; some readers hand it a null item for an empty cell.
typedef std::function<std::wstring(const VelItem*)> RowText;

enum class RowFilter { kAll, kVisible };

struct GroupRows {
    std::wstring header;
    std::vector<std::wstring> rows;
};

// The rows of one group, in its order; kVisible leaves out the hidden ones.
std::vector<std::wstring> ReadChildren(const VelGroupItem& group, const RowText& textOf,
                                       RowFilter which = RowFilter::kAll);
// The groups in the grid's order, each with its rows in theirs; kVisible
// leaves out the hidden groups and the hidden rows.
std::vector<GroupRows> ReadGroups(const VelGridView& grid, const RowText& textOf, RowFilter which = RowFilter::kAll);
// "Today: Cara Ann | Yesterday: +200".
std::wstring GroupsLine(const std::vector<GroupRows>& groups);
// The rows of every group, one after the other.
std::vector<std::wstring> RowsOfGroups(const std::vector<GroupRows>& groups);

// The items in the order given (a list's, say, in the order they were added).
std::vector<std::wstring> ReadItems(const std::vector<VelItem*>& items, const RowText& textOf,
                                    RowFilter which = RowFilter::kAll);

enum class EmptyCells { kRead, kSkip };

// The painter's rows, top first, each the texts of its cells left to right,
// as the user sees them; the first `columns` cells of a row, or all of them.
// An empty cell reads as textOf(nullptr) unless it is skipped.
std::vector<std::vector<std::wstring>> ReadLayout(VelGridView& grid, const RowText& textOf,
                                                  EmptyCells empty = EmptyCells::kRead, int columns = -1);

std::wstring Joined(const std::vector<std::wstring>& texts, const std::wstring& separator);
