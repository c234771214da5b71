// What the document tests share: a document type built from the generic form alone, as its
// typed form will configure it, and the steps every test's cleanup takes.
#pragma once

#include "client/core/paths.h"
#include "client/data/centraldata.h"
#include "client/documents/comdj.h"
#include "client/documents/registerforms.h"
#include "client/masterdata/registerforms.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QObject>
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

// Copies the template shipped for the caption into the client's "Reports" folder, where the
// document's print looks for it.
inline bool installShippedTemplate(const QString &caption)
{
    const QString name = caption + QStringLiteral(".rtm");
    QDir(ExeDir()).mkpath(QStringLiteral("Reports"));
    QFile::remove(ExeDirFile(QStringLiteral("Reports/") + name));
    return QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/Reports/") + name,
                       ExeDirFile(QStringLiteral("Reports/") + name));
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

// What a test of document windows holds: the world on the demo account set, the form under
// test and a script that catches the message boxes nobody expected. tables are the header and
// lines tables of the types under test ("FYKZZB", "FYKZ" ...); a test class derives from it
// and calls its steps from its own slots.
template<class Form>
class TDocumentTest : public QObject
{
protected:
    explicit TDocumentTest(QStringList tables)
        : m_tables(std::move(tables))
    {}

    vztest::TestWorld world;
    QPointer<Form> form;
    std::unique_ptr<TMessageBoxScript> unexpected;

    TClientDataSet &header() { return *form->ZbDataSet(); }
    TClientDataSet &lines() { return *form->MxDataSet(); }

    // The world started and every window registered.
    bool startWorld()
    {
        if (!world.start())
            return false;
        RegisterMasterDataForms();
        RegisterDocumentForms();
        return true;
    }
    // The documents, numbers and ledger rows a case writes go when it ends.
    bool keepDocuments(const QStringList &others = {})
    {
        return world.keepTables(
            m_tables + QStringList{QStringLiteral("MaxBillNo"), QStringLiteral("Inv_ItemList")} +
            others);
    }
    void beginCase() { unexpected = std::make_unique<TMessageBoxScript>(); }
    // Closes the form and the types' datasets and undoes the case; the texts of the message
    // boxes nobody expected.
    QStringList endCase()
    {
        const QStringList texts = unexpectedTexts(unexpected);
        if (form)
            closeDocument(form);
        for (const QString &table : m_tables)
            Data().DataSetByName(table).Close();
        world.cleanup();
        return texts;
    }

private:
    QStringList m_tables;
};

} // namespace docsupport
