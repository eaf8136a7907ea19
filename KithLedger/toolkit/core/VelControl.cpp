#include "VelControl.h"

VelControl::VelControl(VelObject* owner, const std::string& name) : VelAbstractControl(owner, name) {}
VelControl::~VelControl() { Destroy(); }
const wchar_t* VelControl::GetClassName() const { return L"VelControl"; }
void VelControl::HookEvents() {}
