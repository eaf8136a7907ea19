#include "VelContainerControl.h"

VelContainerControl::VelContainerControl(VelObject* owner, const std::string& name) : VelAbstractControl(owner, name) {}

VelContainerControl::~VelContainerControl() { m_ownedControls.clear(); }

void VelContainerControl::AddOwnedControl(const boost::shared_ptr<VelAbstractControl>& control)
{
    control->SetParent(this);
    m_ownedControls.push_back(control);
}
