#pragma once
#include "VelKlView.h"

#include <memory>
#include <string>

class VelSmsItem;
class VelToolbar;
class VelToolbarItem;

// One text message: its whole text, who sent it or whom it went to, and when,
// with a reply button in the title bar.
class VelSmsView : public VelKlView {
public:
    enum : int { kReplyButtonId = 14 };

    VelSmsView(VelObject* parent, const std::string& name);
    ~VelSmsView() override;

    const wchar_t* GetClassName() const override;
    using VelKlView::Create;
    void Create(VelObject* sender, const VelCreateEventArgs* args) override;

    // Shows a copy of the message, marking it read; null clears the view.
    void ShowMessage(const VelSmsItem* message);
    void Reply(VelToolbar* bar, VelToolbarItem* item);

    // The copy shown, or null.
    const VelSmsItem* GetMessage() const { return m_message.get(); }

private:
    void RefreshList();

    // A copy: the list row the message came from may be freed by a reload
    // while the view still shows it.
    std::unique_ptr<VelSmsItem> m_message;
};
