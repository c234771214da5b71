// The objects that live from start-up to exit beside the session.
#include "client/forms/globalobj.h"

TGlobalObj &GlobalObj()
{
    static TGlobalObj global;
    return global;
}
