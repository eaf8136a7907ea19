#include "VelGraphicObject.h"

VelGraphicObject::VelGraphicObject(VelObject* owner, std::string name) : VelObject(owner, name) {}

const wchar_t* VelGraphicObject::GetClassName() const { return L"VelGraphicObject"; }
