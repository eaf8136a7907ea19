#include "VelControlPaintInfo.h"
#include "VelAbstractControl.h"

bool VelControlPaintInfo::iterator::Skips(VelAbstractControl* child) const
{
    return m_visibleOnly && !child->IsVisible();
}

void VelControlPaintInfo::iterator::Enter(VelAbstractControl* control)
{
    if (control->GetCanvas())
        m_canvasPath.push_back(CanvasEntry{control->GetCanvas(), control});
}

void VelControlPaintInfo::iterator::Leave(VelAbstractControl* control)
{
    if (!control->GetCanvas() || m_canvasPath.empty())
        return;
    m_canvasPath.pop_back();
    const CanvasEntry outer = GetCanvas();
    m_composites.push_back(VelCompositeRecord{control->GetCanvas(), control, outer.canvas, outer.holder});
}

VelControlPaintInfo::CanvasEntry VelControlPaintInfo::iterator::GetCanvas() const
{
    return m_canvasPath.empty() ? CanvasEntry{nullptr, nullptr} : m_canvasPath.back();
}

void VelControlPaintInfo::iterator::DescendToTopmostLeaf(VelAbstractControl* from)
{
    VelAbstractControl* c = from;
    Enter(c);
    for (;;) {
        const std::vector<VelAbstractControl*>& children = c->GetChildren();
        int i = int(children.size()) - 1;
        while (i >= 0 && Skips(children[i]))
            --i;
        if (i < 0)
            break;
        m_path.push_back(std::make_pair(c, i));
        c = children[i];
        Enter(c);
    }
    m_current = c;
}

VelControlPaintInfo::iterator& VelControlPaintInfo::iterator::operator++()
{
    if (!m_current)
        return *this;
    Leave(m_current);
    if (m_path.empty()) {
        m_current = nullptr;
        OnCompleted();
        return *this;
    }
    std::pair<VelAbstractControl*, int>& top = m_path.back();
    const std::vector<VelAbstractControl*>& siblings = top.first->GetChildren();
    int i = top.second - 1;
    while (i >= 0 && Skips(siblings[i]))
        --i;
    if (i >= 0) {
        top.second = i;
        DescendToTopmostLeaf(siblings[i]);
    } else {
        m_current = top.first;
        m_path.pop_back();
    }
    return *this;
}

VelControlPaintInfo::reverse_iterator& VelControlPaintInfo::reverse_iterator::operator++()
{
    if (m_ended)
        return *this;
    const std::vector<VelAbstractControl*>& children = m_current->GetChildren();
    for (int i = 0; i < int(children.size()); ++i) {
        if (Skips(children[i]))
            continue;
        m_path.push_back(std::make_pair(m_current, i));
        m_current = children[i];
        Enter(m_current);
        return *this;
    }
    Leave(m_current);
    while (!m_path.empty()) {
        std::pair<VelAbstractControl*, int>& top = m_path.back();
        const std::vector<VelAbstractControl*>& siblings = top.first->GetChildren();
        for (int i = top.second + 1; i < int(siblings.size()); ++i) {
            if (Skips(siblings[i]))
                continue;
            top.second = i;
            m_current = siblings[i];
            Enter(m_current);
            return *this;
        }
        VelAbstractControl* parent = top.first;
        m_path.pop_back();
        Leave(parent);
    }
    m_current = nullptr;
    OnCompleted();
    return *this;
}

VelControlPaintInfo::iterator VelControlPaintInfo::begin() const
{
    iterator it;
    it.m_root = m_root;
    it.m_visibleOnly = m_visibleOnly;
    if (m_root && !(m_visibleOnly && !m_root->IsVisible()))
        it.DescendToTopmostLeaf(m_root);
    return it;
}

VelControlPaintInfo::reverse_iterator VelControlPaintInfo::rbegin() const
{
    reverse_iterator it;
    it.m_root = m_root;
    it.m_visibleOnly = m_visibleOnly;
    if (!m_root)
        return it;
    it.m_ended = 0;
    it.m_current = m_root;
    it.Enter(m_root);
    return it;
}
