// The common controls the skins dress: progress bars (TProgressBar), track bars (TTrackBar)
// and up-down controls (TUpDown). Each is the system's own control; the properties set the
// window at once when it exists and are handed to it when it is made.
#pragma once

#include "Controls.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };
DECLARE_ENUM_NAMES(TProgressBarOrientation, L"pbHorizontal", L"pbVertical")

enum TTrackBarOrientation { trHorizontal, trVertical };
DECLARE_ENUM_NAMES(TTrackBarOrientation, L"trHorizontal", L"trVertical")

// Which sides of a track bar carry its tics.
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
DECLARE_ENUM_NAMES(TTickMark, L"tmBottomRight", L"tmTopLeft", L"tmBoth")

enum TUDOrientation { udHorizontal, udVertical };
DECLARE_ENUM_NAMES(TUDOrientation, L"udHorizontal", L"udVertical")

class TProgressBar : public TWinControl {
    DECLARE_CLASS(TProgressBar, TWinControl)
  public:
    explicit TProgressBar(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int V) { SetRange(V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetRange(FMin, V); }
    int Position() const { return FPosition; }
    void SetPosition(int V);
    int Step() const { return FStep; }
    void SetStep(int V) { FStep = V; }
    void StepIt() { SetPosition(FPosition + FStep); }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation V);
    // One continuous bar instead of blocks.
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;

  private:
    void SetRange(int AMin, int AMax);
    int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
    TProgressBarOrientation FOrientation = pbHorizontal;
    bool FSmooth = false;
};

// Position follows the user's dragging and clicking; OnChange runs on every change of it.
class TTrackBar : public TWinControl {
    DECLARE_CLASS(TTrackBar, TWinControl)
  public:
    explicit TTrackBar(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int V) { SetRange(V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetRange(FMin, V); }
    int Position() const { return FPosition; }
    void SetPosition(int V);
    TTrackBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation V);
    // A tic every Frequency steps; 0 shows none.
    int Frequency() const { return FFrequency; }
    void SetFrequency(int V);
    TTickMark TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark V);
    int PageSize() const { return FPageSize; }
    void SetPageSize(int V);
    int LineSize() const { return FLineSize; }
    void SetLineSize(int V);

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    void SetRange(int AMin, int AMax);
    int FMin = 0, FMax = 10, FPosition = 0, FFrequency = 1, FPageSize = 2, FLineSize = 1;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
};

// The arrows step Position between Min and Max; with an Associate (an edit box) the position
// shows as its text and the arrows sit at the edit's right edge.
class TUpDown : public TWinControl {
    DECLARE_CLASS(TUpDown, TWinControl)
  public:
    explicit TUpDown(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int V) { SetRange(V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetRange(FMin, V); }
    int Position() const;
    void SetPosition(int V);
    int Increment() const { return FIncrement; }
    void SetIncrement(int V);
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation V);
    // Past one end the position starts again at the other.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool V);
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* V);

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void SetRange(int AMin, int AMax);
    int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    TUDOrientation FOrientation = udVertical;
    bool FWrap = false;
    TWinControl* FAssociate = nullptr;
};

PUBLISHED(TProgressBar) {
    p.Property(L"Max", &TProgressBar::Max, &TProgressBar::SetMax);
    p.Property(L"Min", &TProgressBar::Min, &TProgressBar::SetMin);
    p.Property(L"Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation);
    p.Property(L"Position", &TProgressBar::Position, &TProgressBar::SetPosition);
    p.Property(L"Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth);
    p.Property(L"Step", &TProgressBar::Step, &TProgressBar::SetStep);
}
PUBLISHED(TTrackBar) {
    p.Property(L"Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency);
    p.Property(L"LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize);
    p.Property(L"Max", &TTrackBar::Max, &TTrackBar::SetMax);
    p.Property(L"Min", &TTrackBar::Min, &TTrackBar::SetMin);
    p.Property(L"Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation);
    p.Property(L"PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize);
    p.Property(L"Position", &TTrackBar::Position, &TTrackBar::SetPosition);
    p.Property(L"TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks);
    p.Property(L"OnChange", &TTrackBar::OnChange);
}
PUBLISHED(TUpDown) {
    p.Property(L"Associate", &TUpDown::Associate, &TUpDown::SetAssociate);
    p.Property(L"Increment", &TUpDown::Increment, &TUpDown::SetIncrement);
    p.Property(L"Max", &TUpDown::Max, &TUpDown::SetMax);
    p.Property(L"Min", &TUpDown::Min, &TUpDown::SetMin);
    p.Property(L"Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation);
    p.Property(L"Position", &TUpDown::Position, &TUpDown::SetPosition);
    p.Property(L"Wrap", &TUpDown::Wrap, &TUpDown::SetWrap);
    p.Property(L"OnChange", &TUpDown::OnChange);
}
