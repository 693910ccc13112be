#include "WinNCObject.h"

void TNCObject::MouseDown() {
    if (TNCObject* Hot = Host.HotObject(); Hot && Hot != this) Hot->MouseLeave();
    if (!Visible) return;
    Host.SetHotObject(this);
    State = nsPressed;
    Paint();
}

void TNCObject::MouseUp() {
    if (!Visible) return;
    State = nsHot;
    Paint();
}

void TNCObject::MouseMove() {
    if (Host.HotObject() == this) return;
    if (TNCObject* Hot = Host.HotObject()) Hot->MouseLeave();
    if (!Visible) return;
    Host.SetHotObject(this);
    State = nsHot;
    Paint();
}

void TNCObject::MouseLeave() {
    if (!Visible) return;
    Host.SetHotObject(nullptr);
    State = nsNormal;
    Paint();
}
