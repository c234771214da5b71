// The pictures of the main window's buttons and the workspace's tiles, drawn rather than
// shipped: one per kind of function, numbered as the quick-launch bar numbers them.
#pragma once

#include <QIcon>
#include <QString>

enum TFunctionPicture {
    fpData = 0,   // master data and settings
    fpBill = 1,   // business documents
    fpReport = 2, // reports and charts
    fpTool = 3,
    fpExit = 6,
};

// The picture of a function-tree ObjectType ("Data", "Bill", "Report"); Data for others.
TFunctionPicture PictureOfObjectType(const QString &objectType);

QIcon FunctionIcon(TFunctionPicture picture, int size = 32);
