// Skinning leaves nothing behind: a thousand frames attached and detached on one window, and a
// thousand skinned windows made and destroyed, with the live-object counts of our handle
// wrappers, the process's threads and the hooks flat; and a form of buttons skinned and
// unskinned again and again.
#include "SkinTesting.h"

#include "Buttons.h"

#include <gtest/gtest.h>

using namespace SkinTest;

TEST(SkinLeaks, AThousandAttachAndDetachCyclesOnOneWindow) {
    auto F = HiddenSkinnedForm();
    auto Cycle = [&] {
        ASSERT_NE(SkinNow(F->Handle()), nullptr);
        RemoveAllFrames();
        ASSERT_EQ(FrameOf(F->Handle()), nullptr);
    };
    Cycle(); // what is made once and kept (the skin's icon picture, fonts) is made now
    const TCounts Before = Counts();
    for (int I = 0; I < 1000; ++I)
        Cycle();
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(After, Before) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
    RECT C;
    GetClientRect(F->Handle(), &C);
    EXPECT_EQ(C.right, 200);
    EXPECT_EQ(C.bottom, 100) << "a thousand cycles did not move the client area";
}

TEST(SkinLeaks, AThousandSkinnedWindowsMadeAndDestroyed) {
    for (int I = 0; I < 2; ++I) {
        auto Warm = HiddenSkinnedForm();
        SkinNow(Warm->Handle());
        if (I) Warm->DestroyHandle();
    }
    SkinManager->PurgeForms();
    const TCounts Before = Counts();
    for (int I = 0; I < 1000; ++I) {
        auto F = HiddenSkinnedForm();
        ASSERT_NE(SkinNow(F->Handle()), nullptr);
        if (I % 2) F->DestroyHandle(); // the window goes first now and then, the form after
    }
    SkinManager->PurgeForms();
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(After, Before) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
    EXPECT_TRUE(SkinManager->Forms().empty());
}

// The skin switched on and off on a form of buttons: each time every button gets its skin and
// loses it again, with nothing left behind.
TEST(SkinLeaks, TwoHundredCyclesOnAFormOfButtons) {
    auto F = HiddenSkinnedForm(400, 100);
    for (int I = 0; I < 10; ++I) {
        TControl* B = I % 2 ? static_cast<TControl*>(new TButton(F.get()))
                            : static_cast<TControl*>(new TSpeedButton(F.get()));
        B->SetParent(F.get());
        B->SetBounds(5 + I * 38, 10, 36, 24);
        B->SetCaption(L"B" + std::to_wstring(I));
    }
    size_t Worn = 0;
    auto Cycle = [&] {
        TWinSkinForm* Frame = SkinNow(F->Handle());
        ASSERT_NE(Frame, nullptr);
        Worn = Frame->ControlSkins.size();
        RemoveAllFrames();
    };
    Cycle();
    EXPECT_EQ(Worn, 10u) << "every button wears a skin";
    const TCounts Before = Counts();
    for (int I = 0; I < 200; ++I)
        Cycle();
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(Worn, 10u);
    EXPECT_EQ(After, Before) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
}
