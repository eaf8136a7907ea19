#include "VelRootControl.h"

VelRootControl::VelRootControl(VelObject* owner, const std::string& name) : VelControl(owner, name) {}
const wchar_t* VelRootControl::GetClassName() const { return L"VelRootControl"; }
