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

    explicit VelTabPage(int pageId);

    // Views place themselves in the rectangle first, then call this.
    virtual void ApplyTag(VelTabBar* tabBar, const RECT& pageRect);
    virtual bool CanActivate();
    virtual void SetActive(bool active);
    virtual const std::wstring& GetCaption() const = 0;
    virtual void SetCaption(const std::wstring& caption) = 0;
    // Raises Changed even when the value stays the same.
    virtual void SetValue(int value);
    virtual int GetValue() const;
    virtual VelBitmap* GetImage() const = 0;
    virtual void SetImage(VelBitmap* image) = 0;
    virtual VelBitmap* GetSelectedImage() const = 0;
    virtual void SetSelectedImage(VelBitmap* image) = 0;
    virtual VelBitmap* GetHighlightedImage() const = 0;
    virtual void SetHighlightedImage(VelBitmap* image) = 0;
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
};
