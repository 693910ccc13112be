// The clickable things the frame skin draws in a window's non-client area (caption buttons,
// the buttons of the menu strip), apart from the frame and the strip, so that both can build
// on them without knowing each other.
#pragma once

#include "Classes.h"

#include <windows.h>

enum TNCState { nsNormal = 1, nsPressed = 2, nsHot = 3 };

class TNCObject;

// What a frame object needs of the frame it is drawn in: one object at a time shows hot or
// pressed, so an object that becomes hot ends the look of the one before.
class INCObjectHost {
  public:
    // The object under the pointer or pressed; null when none.
    virtual TNCObject* HotObject() const = 0;
    virtual void SetHotObject(TNCObject* Object) = 0;

  protected:
    ~INCObjectHost() = default;
};

// Something clickable drawn in the frame.
class TNCObject : public TObject {
  public:
    explicit TNCObject(INCObjectHost& AHost) : Host(AHost) {}
    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseMove();
    virtual void MouseLeave();
    virtual void Paint() {}

    INCObjectHost& Host;
    RECT Bounds{}; // window coordinates
    bool Visible = false;
    TNCState State = nsNormal;
};
