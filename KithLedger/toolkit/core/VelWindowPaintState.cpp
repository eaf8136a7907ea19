#include "VelWindowPaintState.h"
#include "VelAbstractControl.h"
#include "VelCanvas.h"
#include "VelRect.h"

namespace {

VelRect AbsoluteIn(const VelAbstractControl* control, const VelAbstractControl* into)
{
    VelRect r = control->GetAbsoluteBounds();
    if (into) {
        const VelRect o = into->GetAbsoluteBounds();
        r.Offset(-o.left, -o.top);
    }
    return r;
}

VelRegion Intersection(const VelRegion& a, const VelRegion& b)
{
    VelRegion r(a);
    r.Intersect(b);
    return r;
}

// Cuts the region (in `into`'s coordinates) to the bounds of every ancestor.
void CutToAncestors(VelRegion& region, const VelAbstractControl* control, const VelAbstractControl* into)
{
    for (const VelAbstractControl* p = control->GetParent(); p && !region.IsEmpty(); p = p->GetParent())
        region.Intersect(VelRegion(AbsoluteIn(p, into)));
}

}  // namespace

// The per-canvas regions one paint pass collects.
struct VelWindowPaintState::PaintPass {
    VelCanvas* canvas;  // the window's own canvas
    RECT origin;        // the window control's absolute bounds
    VelRegion repaint;  // in the window control's coordinates
    std::map<VelCanvas*, VelRegion> painted;
    std::map<VelCanvas*, VelRegion> composite;
};

VelRegion VelWindowPaintState::Find(const RegionMap& map, int controlId)
{
    auto it = map.find(controlId);
    return it == map.end() ? VelRegion() : it->second;
}

void VelWindowPaintState::ForgetControl(int controlId)
{
    m_controls.clear();
    DropPaintList();
    m_exposed.erase(controlId);
    m_subtree.erase(controlId);
    m_canvasAreas.erase(controlId);
}

// ---------------------------------------------------------------- bookkeeping

void VelWindowPaintState::BuildControlList(VelAbstractControl* window)
{
    VelControlPaintInfo info(window, true);
    for (VelControlPaintInfo::reverse_iterator it = info.rbegin(); it != info.rend();) {
        VelAbstractControl* control = *it;
        const VelControlPaintInfo::CanvasEntry canvas = it.GetCanvas();
        m_subtree[control->GetId()] = VelRegion();
        ++it;
        m_controls.push_back(ControlEntry{control, it.GetComposites(), canvas.canvas, canvas.holder});
        it.ClearComposites();
    }
}

void VelWindowPaintState::ComputeDirtyRegions(VelAbstractControl* window, VelRegion dirty, bool rebuild)
{
    std::vector<ControlEntry>& list = m_controls;
    if (rebuild)
        list.clear();
    if (list.empty())
        BuildControlList(window);

    std::map<VelCanvas*, VelRegion> open;
    for (auto e = list.rbegin(); e != list.rend(); ++e) {
        VelAbstractControl* q = e->control;
        const int id = q->GetId();
        const bool visible = q->IsVisible() || q == window;
        const bool clipped = (q->GetStyle() & kVelStyleClipToAncestors) != 0;
        if (visible && e->canvas) {
            auto slot = open.find(e->canvas);
            if (slot == open.end())
                slot = open.insert(std::make_pair(e->canvas, VelRegion(e->holder->GetClientRect()))).first;
            VelRegion area(slot->second);
            area.Intersect(VelRegion(AbsoluteIn(q, e->holder)));
            if (!area.IsEmpty() && clipped)
                CutToAncestors(area, q, e->holder);
            m_canvasAreas[id] = area;
            if (!q->IsTransparent())
                slot->second.Subtract(area);
        } else {
            m_canvasAreas[id] = VelRegion();
        }
        if (visible && !dirty.IsEmpty()) {
            VelRegion shown(dirty);
            shown.Intersect(VelRegion(q == window ? window->GetClientRect() : AbsoluteIn(q, window)));
            if (clipped)
                CutToAncestors(shown, q, window);
            if (q != window)
                for (const VelAbstractControl* p = q->GetParent(); p; p = p->GetParent()) {
                    m_subtree[p->GetId()].Union(shown);
                    if (p == window)
                        break;
                }
            m_exposed[id] = shown;
            m_subtree[id].Union(shown);
            if (!q->IsTransparent())
                dirty.Subtract(shown);
        } else {
            m_exposed[id] = VelRegion();
        }
    }
}

// ---------------------------------------------------------------- painting

void VelWindowPaintState::PaintInto(PaintPass& pass, VelAbstractControl* control, VelCanvas* target, const RECT& bounds,
                                    const VelRegion& area, const VelRegion& composite)
{
    target->SetViewport(bounds);
    pass.painted[target].Union(area);
    pass.composite[target].Union(composite);
    VelRegion clip(target->GetClipRegion());
    clip.Intersect(area);
    if (const RECT* paintClip = control->GetPaintClip()) {
        VelRect r(*paintClip);
        r.Offset(bounds.left, bounds.top);
        clip.Intersect(VelRegion(r));
    }
    if (clip.IsEmpty())
        return;
    target->SelectClipRegion(clip);
    target->SaveState();
    VelRect box = clip.GetBounds();
    box.Offset(-bounds.left, -bounds.top);
    VelPaintEventArgs args(target, box);
    try {
        control->OnPaint(&args);
    } catch (...) {
        // A painter that throws would leave the window dirty for ever, its
        // paint unfinished and the canvas's state saved: log it, paint the rest.
        ::OutputDebugStringW(L"VelControlCore: a control's OnPaint threw.\n");
    }
    target->RestoreState();
}

void VelWindowPaintState::Composite(PaintPass& pass, const std::vector<VelCompositeRecord>& composites)
{
    for (const VelCompositeRecord& c : composites) {
        auto part = pass.composite.find(c.childCanvas);
        if (part == pass.composite.end() || part->second.IsEmpty() || c.childCanvas == pass.canvas)
            continue;
        VelCanvas* target = c.parentCanvas ? c.parentCanvas : pass.canvas;
        const VelRect origin = c.parentCanvas ? c.parentHolder->GetAbsoluteBounds() : VelRect(pass.origin);
        VelRect place = c.childHolder->GetAbsoluteBounds();
        place.Offset(-origin.left, -origin.top);
        VelRegion region(part->second);
        region.Offset(place.left, place.top);
        target->SelectClipRegion(region);
        c.childCanvas->CopyToCanvas(target, POINT{place.left, place.top}, SIZE{place.GetWidth(), place.GetHeight()},
                                    POINT{0, 0}, SRCCOPY);
        pass.painted[target].Union(region);
        pass.composite[target].Union(region);
    }
}

void VelWindowPaintState::ReplayPaintList(PaintPass& pass)
{
    for (const PaintRecord& record : m_paintList) {
        VelRegion repaint = pass.repaint;
        repaint.Offset(pass.origin.left - record.origin.left, pass.origin.top - record.origin.top);
        VelRegion area = Intersection(record.area, repaint);
        if (!area.IsEmpty())
            PaintInto(pass, record.control, record.target, record.bounds, area, Intersection(record.exposed, repaint));
        Composite(pass, record.composites);
    }
}

void VelWindowPaintState::Paint(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin,
                                const VelRegion& region)
{
    PaintPass pass{canvas, origin, region, {}, {}};
    if (m_paintListValid) {
        ReplayPaintList(pass);
    } else {
        std::vector<ControlEntry>& list = m_controls;
        if (list.empty())
            BuildControlList(window);
        std::list<PaintRecord> records;
        for (const ControlEntry& e : list) {
            VelCanvas* target = canvas;
            VelRect targetOrigin(origin);
            if (e.canvas && e.canvas != canvas) {
                target = e.canvas;
                targetOrigin = e.holder->GetAbsoluteBounds();
            }
            VelRect bounds = e.control->GetAbsoluteBounds();
            bounds.Offset(-targetOrigin.left, -targetOrigin.top);

            VelRegion shown = Find(m_exposed, e.control->GetId());
            if (target != canvas)
                shown.Offset(origin.left - targetOrigin.left, origin.top - targetOrigin.top);
            VelRegion repaint(region);
            if (target != canvas)
                repaint.Offset(origin.left - targetOrigin.left, origin.top - targetOrigin.top);

            const bool fullPicture = target->GetAuxiliaryValue() != 0;
            const VelRegion shownDirty = Intersection(shown, repaint);
            const VelRegion paintArea = fullPicture ? VelRegion(bounds) : shownDirty;
            const VelRegion recordArea = fullPicture ? VelRegion(bounds) : shown;
            if (!paintArea.IsEmpty())
                PaintInto(pass, e.control, target, bounds, paintArea, shownDirty);
            if (!recordArea.IsEmpty() || !e.composites.empty())
                records.push_back(PaintRecord{e.control, recordArea.IsEmpty() ? VelRegion() : recordArea, shown, bounds,
                                              target, targetOrigin, e.composites});
            Composite(pass, e.composites);
        }
        m_paintList.swap(records);
        m_paintListValid = true;
    }
    for (auto& painted : pass.painted)
        painted.first->ExcludeClip(painted.second);
}
