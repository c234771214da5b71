// Registers the master-data windows with the window manager by class name, so that the main
// window's menu opens them ("TfrmStockCode" for 仓库资料, "TfrmHp" for 货品资料).
#pragma once

void RegisterMasterDataForms();
