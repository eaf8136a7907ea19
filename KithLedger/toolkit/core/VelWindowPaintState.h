#pragma once
#include "VelControlPaintInfo.h"
#include "VelRegion.h"

#include <list>
#include <map>
#include <vector>

class VelAbstractControl;
class VelCanvas;

// What the core keeps for one native window between paints: per control the
// regions it shows, the list of controls in paint order with the canvases
// they draw into, and the paint list a later paint replays instead of
// walking the tree again. The caller holds the core lock.
class VelWindowPaintState {
public:
    typedef std::map<int, VelRegion> RegionMap;  // control id -> region

    // Recomputes every control's regions for the dirty part of the window
    // (the window control's coordinates); `rebuild` walks the tree again.
    void ComputeDirtyRegions(VelAbstractControl* window, VelRegion dirty, bool rebuild);
    // The paint list no longer matches the regions.
    void DropPaintList()
    {
        m_paintListValid = false;
        m_paintList.clear();
    }
    // A control inside the window went: the lists name it and are rebuilt.
    void ForgetControl(int controlId);

    // Paints the region (the window control's coordinates) into the canvases
    // of the window's controls and composites them into the window's canvas.
    void Paint(VelAbstractControl* window, VelCanvas* canvas, const RECT& origin, const VelRegion& region);

    // What of the control shows in the window (the window control's coordinates).
    VelRegion GetExposed(int controlId) const { return Find(m_exposed, controlId); }
    // What the control and its descendants show (the window control's coordinates).
    VelRegion GetSubtree(int controlId) const { return Find(m_subtree, controlId); }
    // Where the control may draw in its canvas (the canvas holder's coordinates).
    VelRegion GetCanvasArea(int controlId) const { return Find(m_canvasAreas, controlId); }

private:
    struct ControlEntry {
        VelAbstractControl* control;
        std::vector<VelCompositeRecord> composites;
        VelCanvas* canvas;
        VelAbstractControl* holder;
    };
    struct PaintRecord {
        VelAbstractControl* control;
        VelRegion area;
        VelRegion exposed;
        RECT bounds;
        VelCanvas* target;
        RECT origin;
        std::vector<VelCompositeRecord> composites;
    };
    struct PaintPass;

    static VelRegion Find(const RegionMap& map, int controlId);
    void BuildControlList(VelAbstractControl* window);
    void ReplayPaintList(PaintPass& pass);
    static void PaintInto(PaintPass& pass, VelAbstractControl* control, VelCanvas* target, const RECT& bounds,
                          const VelRegion& area, const VelRegion& composite);
    static void Composite(PaintPass& pass, const std::vector<VelCompositeRecord>& composites);

    RegionMap m_exposed;
    RegionMap m_subtree;
    RegionMap m_canvasAreas;
    std::vector<ControlEntry> m_controls;
    std::list<PaintRecord> m_paintList;
    bool m_paintListValid = false;
};
