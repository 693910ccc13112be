// Skinning leaves nothing behind: a thousand frames attached and detached on one window, and a
// thousand skinned windows made and destroyed, with the live-object counts of our handle
// wrappers, the process's threads and the hooks flat.
#include "SkinTesting.h"

#include <gtest/gtest.h>

using namespace SkinTest;

namespace {

// The manager's own removal of every frame skin, run at once instead of after its delay.
void RemoveAllFrames() {
    SkinManager->Target = &MainSkin();
    SkinManager->Action = saRemove;
    SkinManager->RunScheduled();
    SkinManager->Enabled = true;
}

} // namespace

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
    EXPECT_TRUE(SkinManager->Forms.empty());
}
