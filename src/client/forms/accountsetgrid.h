// The grid of the account-set list, as the start-up's choice and the account-set manager show
// it: code and name, whole rows, read-only.
#pragma once

class QWidget;
class TDataSource;
class TDBGrid;

TDBGrid *NewAccountSetGrid(QWidget *parent, TDataSource *source, int nameWidth);
