// The application's life with a main form: Run shows it (running OnShow), closing it runs
// OnClose and ends the message loop. A process of its own, since the loop ends only once.
#include "Forms.h"

#include <gtest/gtest.h>

namespace {

class TMainTestForm : public TForm {
    DECLARE_CLASS(TMainTestForm, TForm)
  public:
    explicit TMainTestForm(TComponent* AOwner) : TForm(AOwner) {
        OnCreate = [this](TObject*) { Events.push_back(L"create"); };
        OnShow = [this](TObject*) {
            Events.push_back(L"show");
            AppVisible = IsWindowVisible(Application->Handle());
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
        };
        OnClose = [this](TObject*, TCloseAction& Action) {
            Events.push_back(L"close " + EnumToString(Action));
        };
    }
    std::vector<std::wstring> Events;
    bool AppVisible = false;
};

} // namespace

PUBLISHED(TMainTestForm) {}

TEST(Application, ClosingTheMainFormEndsRun) {
    Application->Initialize();
    Application->SetTitle(L"Main form test");
    TMainTestForm* F = nullptr;
    Application->CreateForm(F);
    ASSERT_EQ(Application->MainForm(), F);
    F->SetBounds(100, 100, 200, 100);
    Application->Run(); // returns once the form closed itself
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(F->Events, (std::vector<std::wstring>{L"create", L"show", L"close caHide"}));
    EXPECT_TRUE(F->AppVisible);
    EXPECT_EQ(GetWindow(F->Handle(), GW_OWNER), Application->Handle());
}
