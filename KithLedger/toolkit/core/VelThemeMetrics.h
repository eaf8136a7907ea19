#pragma once
#include "VelPlatform.h"

// The toolkit's measures, each an integer fraction of a side of one screen.
// Made from a screen size so that every control sizes itself from the same
// figures; `ForScreen` keeps the record of the current screen.
class VelThemeMetrics {
public:
    explicit VelThemeMetrics(const SIZE& screen);

    // The record for VelScreenMetrics' size, made again only when that size
    // changes (a test's screen).
    static const VelThemeMetrics& ForScreen();

    const SIZE& GetScreen() const { return m_screen; }
    int GetLongerSide() const { return m_longer; }
    int GetShorterSide() const { return m_shorter; }

    // A tab button: the bar's height across a top or bottom bar, its width
    // down a side bar.
    int GetTabBarHeight() const { return m_longer / 10; }
    int GetTabBarWidth() const { return m_shorter / 6; }
    // A menu entry's margins; a separator keeps them at its ends only.
    int GetMenuItemMargin() const { return m_longer / 40; }
    int GetMenuSeparatorHeight() const { return 2 * (m_longer / 80); }
    // A menu with no width of its own, and its tallest extent.
    int GetMenuWidth() const { return 2 * m_screen.cx / 3; }
    int GetMenuMaxHeight() const { return 2 * m_screen.cy / 3; }
    // The grid's touch strip at its right edge, and the bar drawn in it.
    int GetScrollStripWidth() const { return m_screen.cx / 10; }
    int GetScrollBarWidth() const { return m_screen.cx / 120; }

protected:
    // The one record of that kind for the current screen, made again only
    // when the screen's size changes. UI thread only, as every paint and
    // layout that asks.
    template <class Metrics>
    static const Metrics& KeptForScreen()
    {
        static Metrics kept(SIZE{-1, -1});
        const SIZE screen = CurrentScreen();
        if (screen.cx != kept.m_screen.cx || screen.cy != kept.m_screen.cy)
            kept = Metrics(screen);
        return kept;
    }

private:
    static SIZE CurrentScreen();

    SIZE m_screen;
    int m_longer;
    int m_shorter;
};
