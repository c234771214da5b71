#include "client/forms/globalobj.h"

TGlobalObj &GlobalObj()
{
    static TGlobalObj global;
    return global;
}
