// The rights administration windows this folder registers with the window manager.
#pragma once

// TfrmPopedom (a workspace window) and TfrmSysPassword (modal).
void RegisterRightsForms();
