#pragma once
// The payload records of the toolkit's events. Built on the raiser's stack,
// handed to handlers as pointers to const and never kept by them.
#include "VelPlatform.h"
#include "VelPoint.h"

#include <vector>

class VelObject;
class VelAbstractControl;
class VelCanvas;
class VelItem;
class VelToolbarItem;
class VelTabPage;
class VelKeypadButton;
class VelTransitionBase;

// Raisers pass the caller's pointer through; the toolkit defines nothing more.
struct VelWindowPosEventArgs;
// Named by the control's ValueChanged event; nothing builds one.
class VelValueChangeEventArgs;

class VelEventArgs {
public:
    virtual ~VelEventArgs() {}
};

class VelObjectEventArgs : public VelEventArgs {
public:
    explicit VelObjectEventArgs(VelObject* child) : child(child) {}
    VelObject* child;
};

class VelObjectDestroyEventArgs : public VelEventArgs {
public:
    explicit VelObjectDestroyEventArgs(VelObject* object) : object(object) {}
    VelObject* object;
};

class VelObjectChangeEventArgs : public VelEventArgs {
public:
    explicit VelObjectChangeEventArgs(VelObject* object) : object(object) {}
    VelObject* object;
};

class VelTimerEventArgs : public VelEventArgs {
public:
    explicit VelTimerEventArgs(UINT timerId) : timerId(timerId) {}
    UINT timerId;
};

// A plain record: it travels in posted requests.
struct VelUserMessageEventArgs {
    int code;
    LPARAM argument;
};

class VelCreateEventArgs : public VelEventArgs {};

class VelControlEventArgs : public VelEventArgs {
public:
    explicit VelControlEventArgs(VelAbstractControl* control) : control(control) {}
    VelAbstractControl* control;
};

class VelActivateEventArgs : public VelControlEventArgs {
public:
    VelActivateEventArgs(VelAbstractControl* window, int state, bool minimized)
        : VelControlEventArgs(window), state(state), minimized(minimized)
    {
    }
    int state;  // WA_INACTIVE, WA_ACTIVE or WA_CLICKACTIVE
    bool minimized;
};

class VelKeyEventArgs : public VelEventArgs {
public:
    VelKeyEventArgs(WPARAM virtualKey, LPARAM keyData) : virtualKey(virtualKey), keyData(keyData) {}
    WPARAM virtualKey;
    LPARAM keyData;
};

class VelCharEventArgs : public VelEventArgs {
public:
    VelCharEventArgs(WCHAR character, int repeatCount) : character(character), repeatCount(repeatCount) {}
    WCHAR character;
    int repeatCount;
};

class VelMouseEventArgs : public VelEventArgs {
public:
    VelMouseEventArgs(const VelPoint& point, WPARAM keys) : point(point), keys(keys) {}
    VelPoint point;  // in the receiving control's coordinates
    WPARAM keys;     // MK_* bits
};

class VelMoveEventArgs : public VelEventArgs {
public:
    VelMoveEventArgs(int x, int y) : x(x), y(y) {}
    int x;
    int y;
};

class VelSizeEventArgs : public VelEventArgs {
public:
    VelSizeEventArgs(int width, int height) : width(width), height(height) {}
    int width;
    int height;
};

class VelPaintEventArgs : public VelEventArgs {
public:
    VelPaintEventArgs(VelCanvas* canvas, const RECT& area) : canvas(canvas), area(area) {}
    VelCanvas* canvas;
    RECT area;  // in the control's coordinates
};

// A plain record.
struct VelTransitionEventArgs {
    VelTransitionBase* transition;
};

class VelGridViewEventArgs : public VelEventArgs {};

class VelGridViewSelEventArgs : public VelGridViewEventArgs {
public:
    explicit VelGridViewSelEventArgs(const std::vector<VelItem*>& selection) : selection(selection) {}
    std::vector<VelItem*> selection;
};

class VelItemEventArgs : public VelEventArgs {
public:
    VelItemEventArgs(VelItem* item, const VelPoint& cell) : item(item), cell(cell) {}
    VelItem* item;
    VelPoint cell;  // column, row
};

class VelItemStateChangeEventArgs : public VelEventArgs {
public:
    explicit VelItemStateChangeEventArgs(VelItem* item) : item(item) {}
    VelItem* item;
};

class VelItemDataChangeEventArgs : public VelEventArgs {
public:
    explicit VelItemDataChangeEventArgs(VelItem* item) : item(item) {}
    VelItem* item;
};

// The scrolling control's state, ten 32-bit words, copied whole into its events.
struct VelScrollState {
    int minimum;
    int maximum;
    int secondMinimum;
    int secondMaximum;
    int position;
    int secondPosition;
    BYTE dragLock;
    BYTE secondLock;
    BYTE spare1[2];
    float secondVelocity;
    float velocity;  // pixels per millisecond; positive moves toward the minimum
    BYTE flinging;
    BYTE spare2[3];
};
static_assert(sizeof(VelScrollState) == 40, "the scroll state is ten 32-bit words");

class VelScrollEventArgs : public VelGridViewEventArgs {
public:
    explicit VelScrollEventArgs(const VelScrollState& state) : state(state) {}
    VelScrollState state;
};

class VelToolbarItemEventArgs : public VelEventArgs {
public:
    explicit VelToolbarItemEventArgs(VelToolbarItem* item) : item(item) {}
    VelToolbarItem* item;
};

class VelButtonEventArgs : public VelEventArgs {
public:
    VelButtonEventArgs(int buttonId, const VelPoint& point) : buttonId(buttonId), point(point) {}
    int buttonId;
    VelPoint point;
};

class VelTabChangeEventArgs : public VelEventArgs {
public:
    VelTabChangeEventArgs(VelTabPage* previous, VelTabPage* next) : previous(previous), next(next), reserved(0) {}
    VelTabPage* previous;
    VelTabPage* next;
    int reserved;
};

class VelKeypadButtonEventArgs : public VelEventArgs {
public:
    explicit VelKeypadButtonEventArgs(VelKeypadButton* key) : key(key) {}
    VelKeypadButton* key;
};

class VelKeypadDockChangeEventArgs : public VelEventArgs {
public:
    explicit VelKeypadDockChangeEventArgs(bool docked) : docked(docked) {}
    bool docked;
};
