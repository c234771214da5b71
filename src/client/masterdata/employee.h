// The employee register TfrmEemployee ("员工资料"): the departments of the user's scope as a
// tree beside their employees, search by code, name or mnemonic, a floating window with the
// current employee's photo, and the employee picker of the other forms (select mode).
#pragma once

#include "client/forms/comjbzl.h"
#include "client/forms/showpic.h"

#include <memory>

class TProcBlobObj;

class TfrmEemployee : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmEemployee(QWidget *parent = nullptr);
    ~TfrmEemployee() override;

    // Besides ResultID (ID) and ResultName (XM), the picker's chosen department.
    QString ResultDeptID;   // BMID
    QString ResultDeptName; // aBMMC

    // The list query around a search condition and a department condition.
    static QString ListSQL(int databaseKind, const QString &deptFrom, const QString &search,
                           const QString &deptCondition);
    // " and C.ID In(...)" for a department and all below it.
    static QString DeptCondition(const QString &deptId);

    // A select giving a row when users, documents or personnel records name the employee.
    static QString ReferenceProbe(qint64 id);

    TFrmShowPic *PictureWindow() const { return m_pictureFollower.Window(); }
    void ShowCurrentPicture() { m_pictureFollower.ShowNow(); }

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    void SetTreeParam() override;
    void OpenDataSet() override;
    void TreeNodeSelected(bool ShowAll) override;
    void aDelExecute() override;
    void LoadEditForm(const QString &Mode) override;
    void GetSearchModalValue() override;
    void dsAfterScroll(TClientDataSet &DataSet) override;
    void FormActivate() override;
    void changeEvent(QEvent *event) override;

private:
    QByteArray currentPicture();

    std::unique_ptr<TProcBlobObj> m_pictures;
    TRowPictureFollower m_pictureFollower{this, [this] {
                                              return currentPicture();
                                          }};
    QString m_deptCondition;
};
