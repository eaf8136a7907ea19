#pragma once
#include "VelDelegate.h"
#include "VelEventArgs.h"

#include <string>

class VelBitmap;
class VelTabBar;

// What a tab bar drives: a page with a caption, three tab images and a value
// (such as a count of new entries) shown on its tab. Views take it as a second
// base beside their VelObject part; they are never deleted through it.
class VelTabPage {
public:
    typedef VelDelegate<VelObject*, const VelObjectChangeEventArgs*> ChangeEvent;

    // The images are not owned (the theme's image cache keeps them).
    explicit VelTabPage(int pageId, const std::wstring& caption = std::wstring(), VelBitmap* image = nullptr,
                        VelBitmap* selectedImage = nullptr, VelBitmap* highlightedImage = nullptr);

    // Views place themselves in the rectangle first, then call this.
    virtual void ApplyTag(VelTabBar* tabBar, const RECT& pageRect);
    virtual bool CanActivate();
    virtual void SetActive(bool active);
    virtual const std::wstring& GetCaption() const;
    // Raises Changed even when the caption stays the same, after storing it.
    virtual void SetCaption(const std::wstring& caption);
    // Raises Changed even when the value stays the same.
    virtual void SetValue(int value);
    virtual int GetValue() const;
    // The images change silently: a page changing several things raises
    // Changed once when it is done.
    virtual VelBitmap* GetImage() const;
    virtual void SetImage(VelBitmap* image);
    virtual VelBitmap* GetSelectedImage() const;
    virtual void SetSelectedImage(VelBitmap* image);
    virtual VelBitmap* GetHighlightedImage() const;
    virtual void SetHighlightedImage(VelBitmap* image);
    virtual VelTabBar* GetTag() const;
    // Stores the tab bar only; raises nothing.
    virtual void SetTag(VelTabBar* tag, const RECT& pageRect);
    // Sender and argument are the page's VelObject part (null when the class
    // implementing the page is no VelObject); dynamic_cast<VelTabPage*> of it
    // gives the page back.
    virtual void RaiseChanged();

    int GetPageId() const { return m_pageId; }
    bool IsActive() const { return m_active != 0; }

    ChangeEvent Changed;

protected:
    // Not virtual: the page's owner deletes it through its VelObject part.
    ~VelTabPage() = default;

private:
    int m_pageId;
    BOOL m_active;
    VelTabBar* m_tag;
    int m_value;
    std::wstring m_caption;
    VelBitmap* m_image;
    VelBitmap* m_selectedImage;
    VelBitmap* m_highlightedImage;
};
