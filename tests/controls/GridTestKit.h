#pragma once
// A grid view in a real window, driven by window messages on a fake clock and
// read back from the window's canvas.
#include "FakeTick.h"
#include "Taps.h"
#include "VelCanvas.h"
#include "VelControlCore.h"
#include "VelGridView.h"
#include "VelGridViewPainter.h"
#include "VelScrollbar.h"
#include "VelStringItem.h"
#include "VelThemeDefault.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridkit {

const COLORREF kBackground = RGB(0, 128, 128);
const COLORREF kItem = RGB(200, 200, 200);
const COLORREF kSelected = RGB(0, 0, 160);
const COLORREF kPressed = RGB(160, 0, 0);
const COLORREF kHeader = RGB(0, 120, 0);
const COLORREF kLine = RGB(255, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);

// Colours of its own for every part the grid paints, so a pixel tells which part drew it.
class GridTheme : public VelThemeDefault {
public:
    VelColor& GetGridBackgroundColor(VelColor& c) override { return c = VelColor::FromColorRef(kBackground); }
    VelColor& GetItemColor(VelColor& c) override { return c = VelColor::FromColorRef(kItem); }
    VelColor& GetItemTextColor(VelColor& c) override { return c = VelColor(0, 0, 0); }
    VelColor& GetSelectedItemColor(VelColor& c) override { return c = VelColor::FromColorRef(kSelected); }
    VelColor& GetSelectedItemTextColor(VelColor& c) override { return c = VelColor(255, 255, 0); }
    VelColor& GetPressedItemColor(VelColor& c) override { return c = VelColor::FromColorRef(kPressed); }
    VelColor& GetPressedItemTextColor(VelColor& c) override { return c = VelColor(255, 255, 0); }
    VelColor& GetGroupHeaderColor(VelColor& c) override { return c = VelColor::FromColorRef(kHeader); }
    VelColor& GetGroupHeaderTextColor(VelColor& c) override { return c = VelColor(0, 0, 0); }
    VelColor& GetGridLineColor(VelColor& c) override { return c = VelColor::FromColorRef(kLine); }
    VelColor& GetGridThickLineColor(VelColor& c) override { return c = VelColor::FromColorRef(kLine); }
    VelColor& GetGridLabelColor(VelColor& c) override { return c = VelColor(255, 255, 255); }
};

// Paints itself white, so whatever the grid leaves unpainted shows.
class HostWindow : public VelControl {
public:
    int OnPaint(const VelPaintEventArgs* args) override
    {
        args->canvas->SetBackColor(VelColor::FromColorRef(kWhite));
        args->canvas->FillRect(GetClientRect());
        return 0;
    }
};

inline VelStringItem* Item(const std::wstring& text) { return new VelStringItem(text, text, DT_SINGLELINE); }
inline VelGroupItem* Group(const std::wstring& text) { return new VelGroupItem(text, L"g:" + text, 0x8020); }

// A 240x320 window filled by a grid; groups 30 pixels high, cell rows 20.
class GridFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 320;
    static constexpr int kGroupRow = 30;

    void SetUp() override
    {
        previousTheme = CurrentTheme;
        CurrentTheme = &theme;
        window.Create(nullptr, kVelStyleVisible, VelRect(0, 0, kWidth, kHeight));
        grid = new VelGridView(&window, "list");
        grid->Create(&window, kVelStyleVisible, VelRect(0, 0, kWidth, kHeight));
        grid->SetGroupRowHeight(kGroupRow);
        grid->ItemClicked += VelBind(this, &GridFixture::OnItemClicked);
        grid->SelectionChanged += VelBind(this, &GridFixture::OnSelectionChanged);
    }
    void TearDown() override
    {
        window.Destroy();
        CurrentTheme = previousTheme;
    }

    void OnItemClicked(VelObject*, const VelItemEventArgs* a) { clicks.push_back(Click{a->item, a->cell}); }
    void OnSelectionChanged(VelGridView*, const VelGridViewSelEventArgs* a) { selections.push_back(a->selection); }

    // One visible group holding the items, in the order given.
    VelGroupItem* Fill(const std::wstring& groupName, int count, std::vector<VelItem*>* items = nullptr)
    {
        VelGroupItem* group = Group(groupName);
        grid->AddGroup(group);
        for (int i = 0; i < count; ++i) {
            VelItem* item = Item(groupName + L" " + std::to_wstring(i));
            grid->AddItemToGroup(item, group);
            if (items)
                items->push_back(item);
        }
        return group;
    }

    LRESULT Send(UINT message, int x, int y, WPARAM keys)
    {
        return ::SendMessageW(window.GetHandle(), message, keys, MAKELPARAM(x, y));
    }
    void Down(int x, int y) { Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void DoubleDown(int x, int y) { Send(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON); }
    void Move(int x, int y, DWORD afterMs)
    {
        tick.Advance(afterMs);
        Send(WM_MOUSEMOVE, x, y, MK_LBUTTON);
    }
    void Up(int x, int y, DWORD afterMs)
    {
        tick.Advance(afterMs);
        Send(WM_LBUTTONUP, x, y, 0);
    }
    void Tap(int x, int y) { TapWindow(window.GetHandle(), VelPoint(x, y), &tick); }
    void Timer(UINT id, DWORD afterMs)
    {
        tick.Advance(afterMs);
        ::SendMessageW(window.GetHandle(), WM_TIMER, id, 0);
    }
    void PressTick(DWORD afterMs) { Timer(grid->GetPressTimerId(), afterMs); }
    void FlingTick(DWORD afterMs) { Timer(grid->GetTimerId(), afterMs); }
    void Key(UINT key) { ::SendMessageW(window.GetHandle(), WM_KEYDOWN, key, 0); }

    // Paints what is pending; the window's canvas is what the screen shows.
    void Settle()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::UpdateWindow(window.GetHandle());
    }
    COLORREF Pixel(int x, int y)
    {
        Settle();
        return ::GetPixel(window.GetCanvas()->GetDC(), x, y);
    }
    // Pixels of the colour in the rectangle.
    int Count(const RECT& area, COLORREF colour)
    {
        Settle();
        HDC dc = window.GetCanvas()->GetDC();
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (::GetPixel(dc, x, y) == colour)
                    ++count;
        return count;
    }
    // The grid's area left of the scroll strip, row by row.
    std::vector<COLORREF> Picture()
    {
        Settle();
        std::vector<COLORREF> pixels;
        HDC dc = window.GetCanvas()->GetDC();
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth - 60; ++x)
                pixels.push_back(::GetPixel(dc, x, y));
        return pixels;
    }
    // True when what the incremental paints left equals the view painted from nothing.
    ::testing::AssertionResult PaintedAsFresh()
    {
        const std::vector<COLORREF> painted = Picture();
        grid->SetFullRepaint(true);
        grid->InvalidateRect(VelRect());
        const std::vector<COLORREF> fresh = Picture();
        for (size_t i = 0; i < painted.size(); ++i)
            if (painted[i] != fresh[i])
                return ::testing::AssertionFailure()
                       << "first difference at (" << i % (kWidth - 60) << ", " << i / (kWidth - 60) << ")";
        return ::testing::AssertionSuccess();
    }

    struct Click {
        VelItem* item;
        VelPoint cell;
    };

    GridTheme theme;
    VelTheme* previousTheme = nullptr;
    HostWindow window;
    VelGridView* grid = nullptr;  // owned by the window
    std::vector<Click> clicks;
    std::vector<std::vector<VelItem*>> selections;
    FakeTick tick{500000};
};

}  // namespace gridkit
