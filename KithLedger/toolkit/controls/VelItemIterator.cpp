#include "VelItemIterator.h"

VelItemIterator::VelItemIterator(const Groups& groups)
    : m_groups(groups), m_group(0), m_child(0), m_current(nullptr), m_inChildren(false), m_atStart(true)
{
}

VelItem* VelItemIterator::AtGroup(std::size_t group)
{
    m_atStart = false;
    m_group = group;
    m_child = 0;
    m_inChildren = false;
    m_current = m_groups[group].get();
    return m_current;
}

VelItem* VelItemIterator::AtChild(std::size_t group, std::size_t child)
{
    m_atStart = false;
    m_group = group;
    m_child = child;
    m_inChildren = true;
    m_current = m_groups[group]->GetChildren()[child].get();
    return m_current;
}

VelItem* VelItemIterator::AtGroupEnd(std::size_t group)
{
    const std::size_t count = m_groups[group]->GetChildCount();
    return count ? AtChild(group, count - 1) : AtGroup(group);
}

VelItem* VelItemIterator::BeforeFirst()
{
    m_atStart = true;
    m_group = 0;
    m_child = 0;
    m_inChildren = false;
    m_current = nullptr;
    return nullptr;
}

VelItem* VelItemIterator::AfterLast()
{
    m_atStart = false;
    m_group = m_groups.size();
    m_child = 0;
    m_inChildren = false;
    m_current = nullptr;
    return nullptr;
}

VelItem* VelItemIterator::First() { return m_groups.empty() ? BeforeFirst() : AtGroup(0); }

VelItem* VelItemIterator::Next()
{
    if (m_atStart)
        return First();
    if (m_group >= m_groups.size())
        return nullptr;
    const std::size_t count = m_groups[m_group]->GetChildCount();
    if (!m_inChildren)
        return count ? AtChild(m_group, 0) : NextGroup();
    if (m_child + 1 < count)
        return AtChild(m_group, m_child + 1);
    return NextGroup();
}

VelItem* VelItemIterator::NextGroup()
{
    if (m_atStart)
        return First();
    if (m_group + 1 < m_groups.size())
        return AtGroup(m_group + 1);
    return AfterLast();
}

VelItem* VelItemIterator::Previous()
{
    if (m_atStart)
        return Last();
    if (m_inChildren)
        return m_child > 0 ? AtChild(m_group, m_child - 1) : AtGroup(m_group);
    // On a group, or past the last one: the end of the group before.
    return m_group > 0 ? AtGroupEnd(m_group - 1) : BeforeFirst();
}

VelItem* VelItemIterator::PreviousGroup()
{
    if (m_atStart)
        return Last() ? AtGroup(m_groups.size() - 1) : nullptr;
    return m_group > 0 ? AtGroup(m_group - 1) : BeforeFirst();
}

VelItem* VelItemIterator::Last() { return m_groups.empty() ? BeforeFirst() : AtGroupEnd(m_groups.size() - 1); }

bool VelItemIterator::HasNext() const
{
    if (m_groups.empty())
        return false;
    if (m_atStart)
        return true;
    if (m_group + 1 < m_groups.size())
        return true;
    if (m_group >= m_groups.size())
        return false;
    const std::size_t count = m_groups[m_group]->GetChildCount();
    return m_inChildren ? m_child + 1 < count : count > 0;
}
