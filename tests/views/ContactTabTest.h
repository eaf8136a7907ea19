#pragma once
// The main view at 480 x 640 with Silver and English, over contacts seeded
// into a device store of the test's own; a fixture gives the tabs it tests
// their real views, taps the window and adds rows to a tab's list.
#include <gtest/gtest.h>

#include <vector>

#include "ContactStoreSupport.h"
#include "MainViewTabTest.h"

class ContactTabTest : public MainViewTabTest {
protected:
    ContactTabTest() : MainViewTabTest(L"Velmora KL contact tab test") {}

    void Add(VelListView* list, const std::vector<contact_store::Person>& people)
    {
        for (const contact_store::Person& p : people)
            list->AddItem(store.Row(p));
        Settle();
    }

    contact_store::SeededStore store;
};
