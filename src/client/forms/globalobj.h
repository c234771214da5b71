// The objects that live from start-up to exit beside the session: the rights of the
// logged-in user and the window manager of the main frame.
#pragma once

#include "client/forms/mdiwindows.h"
#include "client/security/systemfunctionright.h"

struct TGlobalObj
{
    TSystemFunctionRight FuncRight;
    TShowMDIWindowObj MDIWindows;
};

TGlobalObj &GlobalObj();

inline TSystemFunctionRight &FuncRight()
{
    return GlobalObj().FuncRight;
}
