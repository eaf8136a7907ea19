#pragma once
#include "VelGroupItem.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <vector>

// Walks a grid's groups and their children depth first: a group, then its
// children, then the next group. It holds its own copy of the group list, so
// a group removed meanwhile stays alive until the walk is over.
class VelItemIterator {
public:
    typedef std::vector<boost::shared_ptr<VelGroupItem>> Groups;

    explicit VelItemIterator(const Groups& groups);

    VelItem* First();
    VelItem* Next();
    // Leaves the current group's remaining children unvisited.
    VelItem* NextGroup();
    VelItem* Previous();
    VelItem* PreviousGroup();
    // The last group's last child, or the last group when it has none.
    VelItem* Last();
    bool HasNext() const;
    VelItem* Current() const { return m_current; }

private:
    VelItem* AtGroup(std::size_t group);
    VelItem* AtChild(std::size_t group, std::size_t child);
    // The group itself when it has no children, else its last child.
    VelItem* AtGroupEnd(std::size_t group);
    VelItem* BeforeFirst();
    VelItem* AfterLast();

    Groups m_groups;
    std::size_t m_group;  // may be one past the last group
    std::size_t m_child;
    VelItem* m_current;
    bool m_inChildren;
    bool m_atStart;
};
