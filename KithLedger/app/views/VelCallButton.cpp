#include "VelCallButton.h"

#include "VelApplication.h"
#include "VelKlResourceIds.h"
#include "VelKlTheme.h"
#include "VelLocalizedStrings.h"
#include "VelThemeLibrary.h"

VelCallButton::VelCallButton(VelObject* parent, const std::string& name)
    : VelObject(parent, name), VelTabPage(kPageId), m_caption(LoadLocalizedString(kStrDial)), m_image(nullptr),
      m_selectedImage(nullptr), m_highlightedImage(nullptr)
{
    if (VelKlTheme* theme = GetCurrentTheme()) {
        m_image = theme->GetImage(kImageCallButton);
        m_selectedImage = theme->GetImage(kImageCallButtonSelected);
        m_highlightedImage = theme->GetImage(kImageCallButtonSelected);
    }
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

const std::wstring& VelCallButton::GetCaption() const { return m_caption; }
void VelCallButton::SetCaption(const std::wstring& caption) { m_caption = caption; }
VelBitmap* VelCallButton::GetImage() const { return m_image; }
void VelCallButton::SetImage(VelBitmap* image) { m_image = image; }
VelBitmap* VelCallButton::GetSelectedImage() const { return m_selectedImage; }
void VelCallButton::SetSelectedImage(VelBitmap* image) { m_selectedImage = image; }
VelBitmap* VelCallButton::GetHighlightedImage() const { return m_highlightedImage; }
void VelCallButton::SetHighlightedImage(VelBitmap* image) { m_highlightedImage = image; }
