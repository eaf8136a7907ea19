#pragma once
#include "VelAbstractControl.h"

#include <boost/shared_ptr.hpp>
#include <vector>

// A control that may also keep shared ownership of controls it holds.
class VelContainerControl : public VelAbstractControl {
public:
    explicit VelContainerControl(VelObject* owner = nullptr, const std::string& name = std::string());
    ~VelContainerControl() override;
    // Reparents the control here and keeps it alive as long as this container.
    void AddOwnedControl(const boost::shared_ptr<VelAbstractControl>& control);

private:
    std::vector<boost::shared_ptr<VelAbstractControl>> m_ownedControls;
};
