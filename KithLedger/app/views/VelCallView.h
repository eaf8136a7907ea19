#pragma once
#include "VelKlView.h"

#include <cstdint>
#include <memory>
#include <string>

class VelCallItem;
class VelToolbar;
class VelToolbarItem;

// One call of the log in five rows (who, direction, number, date, duration),
// with a dial button in the title bar.
class VelCallView : public VelKlView {
public:
    enum : int { kViewId = 2, kDialButtonId = 4 };

    VelCallView(VelObject* parent, const std::string& name);
    ~VelCallView() override;

    const wchar_t* GetClassName() const override;
    using VelKlView::Create;
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;

    // Keeps a copy: the row that owns the call may go with a reload of the
    // call log while the screen still shows it. Null empties the screen.
    void ShowCall(const VelCallItem* call);
    void OnCommand(VelToolbar* bar, VelToolbarItem* item);

    // Null while no call is shown.
    const VelCallItem* GetCall() const { return m_call.get(); }

    // "mm:ss", "h:mm:ss" or days and a blank-padded clock; seconds alone
    // below a minute, and a fixed text for an end before the start.
    static std::wstring FormatDuration(int64_t seconds);

private:
    void AddRows();

    std::unique_ptr<VelCallItem> m_call;
};
