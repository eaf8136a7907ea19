#pragma once
#include "VelControl.h"

// The root of the control tree; its children are the top-level windows.
class VelRootControl : public VelControl {
public:
    explicit VelRootControl(VelObject* owner, const std::string& name = "RootControl");
    const wchar_t* GetClassName() const override;
};
