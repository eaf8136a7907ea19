#pragma once
#include "VelKlView.h"
#include "VelTabPage.h"

#include <memory>
#include <string>

class VelBitmap;
class VelDateTime;

// The messages tab: every text message, newest first, under date headers.
// The caption carries the number of unread messages.
class VelSmsListView : public VelKlView, public VelTabPage {
public:
    enum : int { kViewId = 3, kPageId = 3 };
    enum : int { kMenuButtonId = 12 };

    VelSmsListView(VelObject* parent, const std::string& name);
    ~VelSmsListView() override;

    const wchar_t* GetClassName() const override;
    const std::wstring& GetText() const override;
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;
    virtual void ClearList();
    virtual bool IsLoading() const;
    virtual void SetLoading(bool loading);

    void ApplyTag(VelTabBar* tabBar, const RECT& pageRect) override;
    void SetActive(bool active) override;
    const std::wstring& GetCaption() const override;
    void SetCaption(const std::wstring& caption) override;
    VelBitmap* GetImage() const override;
    void SetImage(VelBitmap* image) override;
    VelBitmap* GetSelectedImage() const override;
    void SetSelectedImage(VelBitmap* image) override;
    VelBitmap* GetHighlightedImage() const override;
    void SetHighlightedImage(VelBitmap* image) override;

    // The number of unread messages, shown after the caption and in bold.
    void UpdateCaption(int count);
    // A new load of every message (the date changed).
    void StartLoad(const VelDateTime* today);

private:
    std::unique_ptr<VelListGrouping> m_grouping;
    VelBitmap* m_image;
    VelBitmap* m_selectedImage;
    VelBitmap* m_highlightedImage;
    BYTE m_loading;
    std::wstring m_caption;
    std::wstring m_baseCaption;
};
