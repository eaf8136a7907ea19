#pragma once
#include <utility>
#include <vector>

class VelAbstractControl;
class VelCanvas;

// Asks that a finished child canvas be copied into its parent canvas.
struct VelCompositeRecord {
    VelCanvas* childCanvas;
    VelAbstractControl* childHolder;
    VelCanvas* parentCanvas;  // null when no control above owns one
    VelAbstractControl* parentHolder;
};

// A walk over a control subtree. The forward walk goes front to back (children
// before their parent, topmost first); the reverse walk is the painting order.
// Both track the canvas of the nearest canvas owner at or above the current
// control, and hand out the composites that fall due as a canvas owner is left.
class VelControlPaintInfo {
public:
    struct CanvasEntry {
        VelCanvas* canvas;
        VelAbstractControl* holder;
    };

    class iterator {
    public:
        iterator() : m_current(nullptr), m_root(nullptr), m_visibleOnly(false) {}
        virtual ~iterator() {}
        VelAbstractControl* operator*() const { return m_current; }
        iterator& operator++();
        bool operator==(const iterator& other) const { return m_current == other.m_current; }
        bool operator!=(const iterator& other) const { return !(*this == other); }
        // The (canvas, holder) on top of the canvas path, or nulls.
        CanvasEntry GetCanvas() const;
        const std::vector<VelCompositeRecord>& GetComposites() const { return m_composites; }
        void ClearComposites() { m_composites.clear(); }

    protected:
        friend class VelControlPaintInfo;
        virtual void OnCompleted() {}
        bool Skips(VelAbstractControl* child) const;
        void Enter(VelAbstractControl* control);
        void Leave(VelAbstractControl* control);
        void DescendToTopmostLeaf(VelAbstractControl* from);

        VelAbstractControl* m_current;
        VelAbstractControl* m_root;
        std::vector<std::pair<VelAbstractControl*, int>> m_path;
        bool m_visibleOnly;
        std::vector<CanvasEntry> m_canvasPath;
        std::vector<VelCompositeRecord> m_composites;
    };

    class reverse_iterator : public iterator {
    public:
        reverse_iterator() : m_ended(1) {}
        reverse_iterator& operator++();
        bool operator==(const reverse_iterator& other) const
        {
            return m_current == other.m_current || (m_ended && other.m_ended);
        }
        bool operator!=(const reverse_iterator& other) const { return !(*this == other); }

    protected:
        friend class VelControlPaintInfo;
        void OnCompleted() override { m_ended = 1; }
        int m_ended;
    };

    VelControlPaintInfo(VelAbstractControl* root, bool visibleOnly) : m_root(root), m_visibleOnly(visibleOnly) {}
    iterator begin() const;
    iterator end() const { return iterator(); }
    reverse_iterator rbegin() const;
    reverse_iterator rend() const { return reverse_iterator(); }

private:
    VelAbstractControl* m_root;
    bool m_visibleOnly;
};
