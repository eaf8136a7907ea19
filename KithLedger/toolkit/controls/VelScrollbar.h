#pragma once
#include "VelControl.h"

// A thin bar that shows where a scrolled view stands and drags it by the
// thumb. Its touch area (the control) may be wider than the bar it draws.
class VelScrollbar : public VelControl {
public:
    typedef VelDelegate<VelScrollbar*, int> ValueEvent;
    enum : int { kHorizontal = 1, kVertical = 2 };
    enum : int { kMinThumbPx = 20 };

    explicit VelScrollbar(VelObject* owner = nullptr, const std::string& name = std::string());
    VelScrollbar(int orientation, VelObject* owner, const std::string& name = std::string());
    ~VelScrollbar() override;

    const wchar_t* GetClassName() const override;
    int OnCreate(const VelCreateEventArgs* args) override;
    int OnMouseDown(const VelMouseEventArgs* args) override;
    int OnMouseMove(const VelMouseEventArgs* args) override;
    int OnMouseUp(const VelMouseEventArgs* args) override;
    int OnSize(const VelSizeEventArgs* args) override;
    int OnPaint(const VelPaintEventArgs* args) override;

    virtual void SetOrientation(int orientation);
    virtual int GetOrientation() const;
    // The content's whole length; values below 1 are ignored.
    virtual void SetRange(int range);
    virtual int GetRange() const;
    // The largest position: range less the track length, at least 1.
    virtual int GetMaximum() const;
    // The client's length along the bar.
    virtual int GetTrackLength() const;
    // The drawn bar's thickness; the rest of the control lets the parent show through.
    virtual void SetBarWidth(int width);
    virtual int GetBarWidth() const;
    // Clamped into [0, maximum]; negative values are ignored. Raises nothing:
    // ValueChanged comes only from the finger.
    virtual void SetPosition(int position);
    virtual int GetPosition() const;
    // With auto-hide the bar shows only while the content is longer than the track.
    virtual void SetAutoHide(bool autoHide);
    virtual bool GetAutoHide() const;
    virtual VelRect GetBarRect() const;
    virtual void SetPageSize(int size);
    virtual int GetPageSize() const;

    int GetThumbLength() const { return m_thumbLength; }
    bool IsDragging() const { return m_dragging != 0; }

    // Raised with the new position when a drag moves it.
    ValueEvent ValueChanged;

private:
    int GetTrackSpan() const;
    // Maximum, position, page and thumb again from the range and the track.
    void FitToTrack();
    // The same after the control's length along the bar changed.
    void FitToLength(int length);
    void ApplyAutoHide();
    void DragTo(const VelPoint& point);

    BYTE m_autoHide;
    BYTE m_dragging;
    int m_maximum;
    int m_range;
    int m_position;
    int m_pageSize;
    int m_barWidth;
    int m_thumbLength;
    int m_orientation;
};
