// Registers the administration windows with the window manager by class name, so that the
// main window's menu opens them ("TfrmSysUser" for 用户管理).
#pragma once

void RegisterAdminForms();
