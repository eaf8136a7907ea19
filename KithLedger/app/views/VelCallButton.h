#pragma once
#include "VelObject.h"
#include "VelTabPage.h"

#include <string>

class VelBitmap;

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
    const std::wstring& GetCaption() const override;
    void SetCaption(const std::wstring& caption) override;
    VelBitmap* GetImage() const override;
    void SetImage(VelBitmap* image) override;
    VelBitmap* GetSelectedImage() const override;
    void SetSelectedImage(VelBitmap* image) override;
    VelBitmap* GetHighlightedImage() const override;
    void SetHighlightedImage(VelBitmap* image) override;

private:
    std::wstring m_caption;
    // Owned by the theme's image cache.
    VelBitmap* m_image;
    VelBitmap* m_selectedImage;
    VelBitmap* m_highlightedImage;
};
