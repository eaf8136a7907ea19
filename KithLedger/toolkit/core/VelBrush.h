#pragma once
#include "VelPlatform.h"

// A brush handle for the canvas to select. Whether the handle is released
// depends on the kind of brush; SetHandle hands the previous one back to the
// caller.
class VelBrush {
public:
    VelBrush() : m_handle(nullptr) {}
    explicit VelBrush(HBRUSH handle) : m_handle(handle) {}
    VelBrush(const VelBrush&) = delete;
    VelBrush& operator=(const VelBrush&) = delete;
    virtual ~VelBrush();

    HBRUSH GetHandle() const { return m_handle; }
    void SetHandle(HBRUSH handle) { m_handle = handle; }

protected:
    HBRUSH m_handle;
};
