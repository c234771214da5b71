// Routines of other subsystems that the start-up and the main window call by name: the
// subsystem installs its routine at start-up; until one is installed, the start-up call does
// nothing and a menu call says the function is not provided.
#pragma once

#include <QString>

#include <functional>

// The alert window: kind "audit_office" or "audit_jxc"; atStart is true for the call of the
// start-up, which shows the window only when something waits.
using TShowAlertRoutine = std::function<void(const QString &kind, bool atStart)>;
void SetShowAlertRoutine(TShowAlertRoutine routine);
bool ShowAlertInstalled();
void ShowAlert(const QString &kind, bool atStart);

// The Excel import of master data: system name and table ("hp" goods, "yg" employees).
using TImportRoutine = std::function<void(const QString &systemName, const QString &tableName,
                                          int openingStock, bool withId)>;
void SetImportFromExcelRoutine(TImportRoutine routine);
void ImportFromExcel(const QString &systemName, const QString &tableName, int openingStock,
                     bool withId);
