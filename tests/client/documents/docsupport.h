// What the document tests share: a document type built from the generic form alone, as its
// typed form will configure it, and the steps every test's cleanup takes.
#pragma once

#include "client/data/centraldata.h"
#include "client/documents/comdj.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/messagebox.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>

#include <initializer_list>
#include <memory>

namespace docsupport {

inline void flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Closes a document form, answering No to keeping its changes, and lets it go.
inline void closeDocument(TfrmComDj *form)
{
    TMessageBoxScript answers{mrNo, mrNo};
    QPointer<TfrmComDj> guard(form);
    form->Close();
    flush();
}

// The texts of the message boxes the script caught, which nobody expected; the script goes.
inline QStringList unexpectedTexts(std::unique_ptr<TMessageBoxScript> &script)
{
    QStringList texts;
    for (const TMessageRequest &request : script->Requests())
        texts << request.Text;
    script.reset();
    return texts;
}

// One document type as its typed form configures the generic one.
struct TDocumentType
{
    const char *FormName;
    const char *Caption;
    const char *HeaderTable;
    const char *LinesTable;
    const char *ObjectName;
    const char *LinkFields; // nullptr: none
    TData::TDataSetId Header;
    TData::TDataSetId Lines;
    const char *LinesGoodsColumns; // joined from HP after "M.*"
    std::initializer_list<const char *> Columns;
};

// A document form of the type; the audit and un-audit reachable without their confirmation.
class TTestDocument : public TfrmComDj
{
public:
    explicit TTestDocument(const TDocumentType &type)
        : m_type(type)
    {
        setObjectName(QLatin1String(type.FormName));
        setWindowTitle(QString::fromUtf8(type.Caption));
        for (const char *field : type.Columns)
            DBGrid1->Columns().Add(QLatin1String(field));
    }

    bool Audit() { return AuditBill(true); }
    void UnAudit() { aUnAuditExecute(); }

protected:
    void FormShow() override
    {
        strZbMainTable = QLatin1String(m_type.HeaderTable);
        strMxDetailTables = QLatin1String(m_type.LinesTable);
        FObjectName = QLatin1String(m_type.ObjectName);
        strMxMustFields = QStringLiteral("ABH");
        if (m_type.LinkFields)
            strLinkFields = QLatin1String(m_type.LinkFields);
        TClientDataSet &header = Data().DataSet(m_type.Header);
        header.Close();
        header.SetCommandText(
            QStringLiteral("select * from %1 where 1=2").arg(QLatin1String(m_type.HeaderTable)));
        header.Open();
        DBNavigator1->SetDataSource(&Data().DataSource(m_type.Header));
        DBGrid1->SetDataSource(&Data().DataSource(m_type.Lines));
        TfrmComDj::FormShow();
    }

    void IniRecord() override
    {
        MxDataSet()->SetCommandText(
            QStringLiteral("select M.*, %1 from %2 M left join HP H on M.HPID=H.ID where ZBID = ")
                .arg(QLatin1String(m_type.LinesGoodsColumns), QLatin1String(m_type.LinesTable)) +
            QString::number(ZbInteger("ID")));
        TfrmComDj::IniRecord();
    }

private:
    const TDocumentType &m_type;
};

} // namespace docsupport
