#pragma once
#include "VelObject.h"

// The base of drawable resources.
class VelGraphicObject : public VelObject {
public:
    explicit VelGraphicObject(VelObject* owner = nullptr, std::string name = std::string());
    VelGraphicObject(const VelGraphicObject& other) = default;

    const wchar_t* GetClassName() const override;
};
