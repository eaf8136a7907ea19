#include "VelTabPage.h"

#include "VelObject.h"

VelTabPage::VelTabPage(int pageId, const std::wstring& caption, VelBitmap* image, VelBitmap* selectedImage,
                       VelBitmap* highlightedImage)
    : m_pageId(pageId), m_active(FALSE), m_tag(nullptr), m_value(0), m_caption(caption), m_image(image),
      m_selectedImage(selectedImage), m_highlightedImage(highlightedImage)
{
}

void VelTabPage::ApplyTag(VelTabBar* tabBar, const RECT& pageRect) { SetTag(tabBar, pageRect); }

bool VelTabPage::CanActivate() { return true; }

void VelTabPage::SetActive(bool active) { m_active = active ? TRUE : FALSE; }

void VelTabPage::SetValue(int value)
{
    m_value = value;
    RaiseChanged();
}

int VelTabPage::GetValue() const { return m_value; }

const std::wstring& VelTabPage::GetCaption() const { return m_caption; }

void VelTabPage::SetCaption(const std::wstring& caption)
{
    m_caption = caption;
    RaiseChanged();
}

VelBitmap* VelTabPage::GetImage() const { return m_image; }
void VelTabPage::SetImage(VelBitmap* image) { m_image = image; }
VelBitmap* VelTabPage::GetSelectedImage() const { return m_selectedImage; }
void VelTabPage::SetSelectedImage(VelBitmap* image) { m_selectedImage = image; }
VelBitmap* VelTabPage::GetHighlightedImage() const { return m_highlightedImage; }
void VelTabPage::SetHighlightedImage(VelBitmap* image) { m_highlightedImage = image; }

VelTabBar* VelTabPage::GetTag() const { return m_tag; }

void VelTabPage::SetTag(VelTabBar* tag, const RECT&) { m_tag = tag; }

void VelTabPage::RaiseChanged()
{
    VelObject* page = dynamic_cast<VelObject*>(this);
    VelObjectChangeEventArgs args(page);
    Changed.Invoke(page, &args);
}
