#pragma once
#include "VelKlView.h"
#include "VelTabPage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VelBitmap;
class VelDateTime;

// The calls tab: the call log, newest first, under date headers. A tap on the
// tab while it is current moves to the next filter: all, outgoing, incoming,
// missed. The caption carries the number of missed calls.
class VelCallListView : public VelKlView, public VelTabPage {
public:
    enum : int { kViewId = 2, kPageId = 2 };
    enum : int { kAllCalls = 0, kOutgoingCalls = 1, kIncomingCalls = 2, kMissedCalls = 3 };

    VelCallListView(VelObject* parent, const std::string& name);
    ~VelCallListView() override;

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

    // The number of missed calls, shown after the caption and in bold.
    void UpdateCaption(int count);
    // A new load of the whole call log (the date changed).
    void StartLoad(const VelDateTime* today);
    // A change of the call log, handed to the data thread.
    void RequestRefresh(uint32_t code, uint32_t recordId);
    int GetFilterIndex() const { return m_filterIndex; }

private:
    struct FilterRecord {
        std::wstring caption;
        std::wstring title;
        VelBitmap* image;
        VelBitmap* selectedImage;
        VelBitmap* highlightedImage;
        VelListView::Predicate predicate;
    };

    std::unique_ptr<VelListGrouping> m_grouping;
    std::vector<FilterRecord> m_filters;
    int m_filterIndex;
    BYTE m_loading;
    VelBitmap* m_image;
    VelBitmap* m_selectedImage;
    VelBitmap* m_highlightedImage;
    std::wstring m_caption;
    std::wstring m_baseCaption;
};

