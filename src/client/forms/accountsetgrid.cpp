#include "client/forms/accountsetgrid.h"

#include "client/widgets/dbgrid.h"
#include "client/widgets/gridcolumns.h"

TDBGrid *NewAccountSetGrid(QWidget *parent, TDataSource *source, int nameWidth)
{
    auto *grid = new TDBGrid(parent);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    grid->SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection |
                     dgIndicator);
    grid->SetReadOnly(true);
    grid->Columns().Add(QStringLiteral("AccountNo"), QStringLiteral("帐套编码"), 100);
    grid->Columns().Add(QStringLiteral("AccountName"), QStringLiteral("帐套名称"), nameWidth);
    grid->SetDataSource(source);
    return grid;
}
