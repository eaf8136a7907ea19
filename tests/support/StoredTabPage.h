#pragma once
#include <string>

#include "VelTabPage.h"

// The part of a test's tab page that keeps the caption and the three tab
// images as given, the way the views keep theirs.
class StoredTabPage : public VelTabPage {
public:
    StoredTabPage(int pageId, const std::wstring& caption, VelBitmap* image, VelBitmap* selected, VelBitmap* pressed)
        : VelTabPage(pageId), m_caption(caption), m_image(image), m_selected(selected), m_pressed(pressed)
    {
    }

    const std::wstring& GetCaption() const override { return m_caption; }
    void SetCaption(const std::wstring& caption) override { m_caption = caption; }
    VelBitmap* GetImage() const override { return m_image; }
    void SetImage(VelBitmap* image) override { m_image = image; }
    VelBitmap* GetSelectedImage() const override { return m_selected; }
    void SetSelectedImage(VelBitmap* image) override { m_selected = image; }
    VelBitmap* GetHighlightedImage() const override { return m_pressed; }
    void SetHighlightedImage(VelBitmap* image) override { m_pressed = image; }

protected:
    ~StoredTabPage() = default;

private:
    std::wstring m_caption;
    VelBitmap* m_image;
    VelBitmap* m_selected;
    VelBitmap* m_pressed;
};
