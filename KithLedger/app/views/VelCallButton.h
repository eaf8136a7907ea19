#pragma once
#include "VelObject.h"
#include "VelTabPage.h"

#include <string>

// The main view's last tab: a tap minimises the program so the phone's own
// dialer shows; the tab never becomes the current one.
class VelCallButton : public VelObject, public VelTabPage {
public:
    enum : int { kPageId = 5 };

    explicit VelCallButton(VelObject* parent = nullptr, const std::string& name = std::string());

    const wchar_t* GetClassName() const override;

    // No view to place: the tab stays untagged.
    void ApplyTag(VelTabBar* tabBar, const RECT& pageRect) override;
    // Minimises the main window and refuses.
    bool CanActivate() override;
    void SetActive(bool active) override;
};
