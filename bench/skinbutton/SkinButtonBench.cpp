// A skinned push button's repaint against a plain BitBlt of a picture of its size into its
// window, in the same run; and the pointer moved across a row of 20 skinned buttons: how many
// buttons paint for each step from one button to the next.
#include "BenchRow.h"
#include "BenchSkin.h"
#include "BenchTiming.h"

#include "Reader.h"
#include "StdCtrls.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"
#include "WinSubButton.h"
#include "WndProcHook.h"

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

namespace {

class TBenchForm : public TForm {
    DECLARE_CLASS(TBenchForm, TForm)
  public:
    using TForm::TForm;
};

void Settle() {
    // Enter and leave come from the application's idle processing, paints after them.
    for (int I = 0; I < 20; ++I) {
        Application->ProcessMessages();
        Application->Idle();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

} // namespace

PUBLISHED(TBenchForm) {}

int main() {
    Application->Initialize();
    Bench::LoadDefaultSkin();

    auto* Form = new TBenchForm(nullptr);
    Form->SetBorderStyle(bsSingle);
    Form->SetBounds(20, 50, 900, 200);
    Form->SetClientSize(20 * 42 + 10, 60);
    std::vector<TButton*> Row;
    for (int I = 0; I < 20; ++I) {
        auto* B = new TButton(Form);
        B->SetParent(Form);
        B->SetBounds(5 + I * 42, 10, 40, 30);
        B->SetCaption(L"B" + std::to_wstring(I));
        Row.push_back(B);
    }
    Form->Show();
    TWinSkinForm* Frame = Bench::WaitForFrame(Form->Handle());
    if (!Frame) return 1;
    auto* Skinned = dynamic_cast<TSkinButton*>(Frame->ControlSkins.Find(Row[0]->Handle()));
    if (!Skinned) return 1;

    const HWND W = Row[0]->Handle();
    TBitmap Picture(40, 30, pf24bit);
    const double Skin1 = Bench::PerCall(
        500, [&] { Skinned->PaintFrame(); }, true);
    const double Blit = Bench::PerCall(
        500,
        [&] {
            HDC DC = GetWindowDC(W);
            BitBlt(DC, 0, 0, 40, 30, Picture.Canvas()->Handle(), 0, 0, SRCCOPY);
            ReleaseDC(W, DC);
        },
        true);
    const double Props = Bench::PerCall(500, [&] {
        (void)GetPropText(*Row[0], L"Caption");
        (void)GetPropText(*Row[0], L"MultiLine");
    });
    RECT Scratch;
    const double Calls = Bench::PerCall(500, [&] {
        (void)GetFocus();
        (void)IsWindowEnabled(W);
        (void)GetWindowLongW(W, GWL_STYLE);
        (void)GetWindowRect(W, &Scratch);
    });
    std::printf("of which: two properties by name %.1f us, four window queries %.1f us\n", Props,
                Calls);
    // A change of look each time (normal and hot in turn) composes the picture anew.
    bool Hot = false;
    const double Changing = Bench::PerCall(
        500,
        [&] {
            Hot = !Hot;
            Skinned->MouseState = Hot ? msHot : 0;
            Skinned->PaintFrame();
        },
        true);
    Skinned->MouseState = 0;
    Bench::Row("skinned button repaint vs BitBlt", Skin1, Blit, "us", 3);
    std::printf("button repaint: skinned %.1f us, plain BitBlt %.1f us, ratio %.2f (aim <= 3);\n"
                "with the look changing each time %.1f us, ratio %.2f\n",
                Skin1, Blit, Blit > 0 ? Skin1 / Blit : 0.0, Changing,
                Blit > 0 ? Changing / Blit : 0.0);

    // Paints of each button while the pointer steps along the row.
    std::set<TButton*> Painted;
    std::vector<std::unique_ptr<TWindowProcHook>> Hooks;
    for (TButton* B : Row) {
        Hooks.push_back(std::make_unique<TWindowProcHook>());
        Hooks.back()->Install(*B, [B, &Painted](TMessage& M, const TWndMethod& Previous) {
            if (M.Msg == WM_PAINT) Painted.insert(B);
            Previous(M);
        });
    }
    const POINT First = Row[0]->ClientToScreen({20, 15});
    SetCursorPos(First.x, First.y);
    Settle();
    size_t Most = 0, Total = 0;
    for (size_t I = 1; I < Row.size(); ++I) {
        Painted.clear();
        const POINT P = Row[I]->ClientToScreen({20, 15});
        SetCursorPos(P.x, P.y);
        Settle();
        Most = std::max(Most, Painted.size());
        Total += Painted.size();
    }
    std::printf("hover across 20 buttons: at most %zu buttons painted per step, %.2f on average "
                "(aim: the two that changed)\n",
                Most, static_cast<double>(Total) / static_cast<double>(Row.size() - 1));
    Hooks.clear();
    delete Form;
    return 0;
}
