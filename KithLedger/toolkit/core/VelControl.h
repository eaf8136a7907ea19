#pragma once
#include "VelAbstractControl.h"

// The concrete base of ordinary controls.
class VelControl : public VelAbstractControl {
public:
    explicit VelControl(VelObject* owner = nullptr, const std::string& name = std::string());
    // Destroys first, so handlers of Destroyed still see a whole object.
    ~VelControl() override;
    const wchar_t* GetClassName() const override;
    void HookEvents() override;
};
