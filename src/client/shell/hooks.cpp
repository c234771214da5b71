// Routines other subsystems install at start-up, and what the menu says while one is missing.
#include "client/shell/hooks.h"

#include "client/forms/globalobj.h"
#include "client/widgets/messagebox.h"

namespace {

TShowAlertRoutine &alertRoutine()
{
    static TShowAlertRoutine routine;
    return routine;
}

TImportRoutine &importRoutine()
{
    static TImportRoutine routine;
    return routine;
}

void sayMissing(const QString &what)
{
    if (const auto &handler = GlobalObj().MDIWindows.OnWindowMissing) {
        handler(what);
        return;
    }
    MessageBox(QStringLiteral("该功能（%1）在本版本中尚未提供。").arg(what), QStringLiteral("提示"),
               TMsgIcon::Information);
}

} // namespace

void SetShowAlertRoutine(TShowAlertRoutine routine)
{
    alertRoutine() = std::move(routine);
}

bool ShowAlertInstalled()
{
    return bool(alertRoutine());
}

void ShowAlert(const QString &kind, bool atStart)
{
    if (alertRoutine())
        alertRoutine()(kind, atStart);
    else if (!atStart)
        sayMissing(QStringLiteral("系统提示"));
}

void SetImportFromExcelRoutine(TImportRoutine routine)
{
    importRoutine() = std::move(routine);
}

void ImportFromExcel(const QString &systemName, const QString &tableName, int openingStock,
                     bool withId)
{
    if (importRoutine())
        importRoutine()(systemName, tableName, openingStock, withId);
    else
        sayMissing(QStringLiteral("Excel数据导入"));
}
