#include "VelCallButton.h"

#include "VelApplication.h"
#include "VelKlResourceIds.h"
#include "VelLocalizedStrings.h"
#include "VelThemeLibrary.h"

VelCallButton::VelCallButton(VelObject* parent, const std::string& name)
    : VelObject(parent, name),
      VelTabPage(kPageId, LoadLocalizedString(kStrDial), CurrentThemeImage(kImageCallButton),
                 CurrentThemeImage(kImageCallButtonSelected), CurrentThemeImage(kImageCallButtonSelected))
{
}

const wchar_t* VelCallButton::GetClassName() const { return L"VelCallButton"; }

void VelCallButton::ApplyTag(VelTabBar*, const RECT&) { VelTabPage::ApplyTag(nullptr, RECT{0, 0, 0, 0}); }

bool VelCallButton::CanActivate()
{
    if (MainWindowHandle)
        ::ShowWindow(MainWindowHandle, SW_MINIMIZE);
    return false;
}

void VelCallButton::SetActive(bool) {}
