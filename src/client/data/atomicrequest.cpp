// Several datasets' change logs and statements sent as one all-or-nothing request.
#include "client/data/atomicrequest.h"

#include "client/data/centraldata.h"
#include "client/data/remoteserver.h"
#include "client/data/socketconnection.h"

#include <exception>

QString TAtomicResult::Text() const
{
    if (Ok)
        return {};
    QString where;
    if (Part >= 0) {
        where = QStringLiteral("part %1").arg(Part);
        if (DataSet && !DataSet->Name().isEmpty())
            where += QStringLiteral(" (%1)").arg(DataSet->Name());
        if (Row >= 0)
            where += QStringLiteral(", row %1").arg(Row);
        where += QStringLiteral(": ");
    }
    return where + Message + QStringLiteral(" [%1]").arg(ErrorCode);
}

TAtomicRequest::TAtomicRequest(TCustomRemoteServer *server)
    : m_server(server)
{}

TAtomicRequest &TAtomicRequest::Apply(TClientDataSet &dataSet)
{
    Part part;
    part.dataSet = &dataSet;
    m_parts.append(part);
    return *this;
}

TAtomicRequest &TAtomicRequest::Execute(const QString &sql, int expectedRows)
{
    Part part;
    part.sql = sql;
    part.expectedRows = expectedRows;
    m_parts.append(part);
    return *this;
}

TAtomicRequest &TAtomicRequest::Query(const QString &sql)
{
    Part part;
    part.sql = sql;
    part.query = true;
    m_parts.append(part);
    return *this;
}

TCustomRemoteServer *TAtomicRequest::checkedServer() const
{
    TCustomRemoteServer *server = m_server;
    QList<const TClientDataSet *> seen;
    for (const Part &part : m_parts) {
        const TClientDataSet *dataSet = part.dataSet;
        if (!dataSet)
            continue;
        const QString name =
            dataSet->Name().isEmpty() ? QStringLiteral("a dataset") : dataSet->Name();
        if (seen.contains(dataSet))
            throw EDatabaseError(
                QStringLiteral("%1 is added twice to one request: its changes would be stored "
                               "twice")
                    .arg(name));
        seen.append(dataSet);
        if (!dataSet->Active())
            throw EDatabaseError(
                QStringLiteral("%1 is closed: it has no changes to store").arg(name));
        if (!dataSet->RemoteServer() || dataSet->ProviderName().isEmpty())
            throw EDatabaseError(QStringLiteral("%1: Missing data provider").arg(name));
        if (!server)
            server = dataSet->RemoteServer();
        if (dataSet->RemoteServer() != server)
            throw EDatabaseError(
                QStringLiteral("%1 is on another connection than the request: one request reaches "
                               "one server session")
                    .arg(name));
    }
    return server ? server : &Data().cn();
}

TAtomicResult TAtomicRequest::Send()
{
    TCustomRemoteServer *server = checkedServer();

    // Every handler first: one may edit another dataset of the request (link fields).
    QList<TApplyTicket> tickets(m_parts.size());
    QList<bool> sending(m_parts.size(), false);
    for (int i = 0; i < m_parts.size(); ++i) {
        if (m_parts[i].dataSet)
            sending[i] = m_parts[i].dataSet->BeginApply(tickets[i]);
        else
            sending[i] = true;
    }
    QList<TRequestPart> parts;
    QList<int> partOf; // the caller's part of each part sent
    for (int i = 0; i < m_parts.size(); ++i) {
        if (!sending[i])
            continue;
        TRequestPart part;
        if (TClientDataSet *dataSet = m_parts[i].dataSet) {
            dataSet->TakeDelta(tickets[i]);
            part.Kind = TRequestPart::rpApply;
            part.ProviderName = dataSet->ProviderName();
            part.CommandText = dataSet->CommandText();
            part.Delta = tickets[i].Delta();
        } else if (m_parts[i].query) {
            part.Kind = TRequestPart::rpQuery;
            part.CommandText = m_parts[i].sql;
        } else {
            part.Kind = TRequestPart::rpExecute;
            part.CommandText = m_parts[i].sql;
            part.ExpectedRows = m_parts[i].expectedRows;
        }
        parts.append(std::move(part));
        partOf.append(i);
    }

    TAtomicResult result;
    result.RowsAffected = QList<qint64>(m_parts.size(), 0);
    result.Rows = QList<QVariantList>(m_parts.size());
    if (parts.isEmpty())
        return result;

    TRequestResult stored;
    try {
        stored = server->ApplyParts(parts);
    } catch (const ERemoteError &e) {
        result.Ok = false;
        result.ErrorCode = e.ErrorCode();
        result.Message = e.Message();
        return result;
    } catch (const EConnectionError &e) {
        result.Ok = false;
        result.ErrorCode = QStringLiteral("connection");
        result.Message = e.Message();
        result.OutcomeUnknown = e.Reason() != EConnectionError::crCannotConnect;
        return result;
    } catch (const EDatabaseError &e) {
        result.Ok = false;
        result.ErrorCode = QStringLiteral("local");
        result.Message = e.Message();
        return result;
    }

    if (stored.RolledBack || !stored.Errors.isEmpty()) {
        result.Ok = false;
        const TPartError refusal = stored.Errors.value(0);
        result.ErrorCode = refusal.Error.ErrorCode;
        result.Message = refusal.Error.Message;
        if (refusal.Part >= 0 && refusal.Part < partOf.size()) {
            result.Part = partOf[refusal.Part];
            TClientDataSet *dataSet = m_parts[result.Part].dataSet;
            result.DataSet = dataSet;
            if (dataSet && refusal.Error.RowIndex >= 0) {
                result.Row = refusal.Error.RowIndex;
                result.Record = dataSet->DeltaRecord(tickets[result.Part], result.Row);
                result.CurValues = refusal.Error.CurValues;
            }
        }
        return result;
    }

    for (int k = 0; k < partOf.size() && k < stored.RowsAffected.size(); ++k)
        result.RowsAffected[partOf[k]] = stored.RowsAffected[k];
    for (int k = 0; k < partOf.size() && k < stored.Rows.size(); ++k)
        result.Rows[partOf[k]] = stored.Rows[k];
    // Everything is stored: every log is merged, even when a handler of another raises.
    std::exception_ptr handlerError;
    for (int k = 0; k < partOf.size(); ++k) {
        TClientDataSet *dataSet = m_parts[partOf[k]].dataSet;
        if (!dataSet)
            continue;
        try {
            dataSet->FinishApply(tickets[partOf[k]], TApplyResult());
        } catch (...) {
            if (!handlerError)
                handlerError = std::current_exception();
        }
    }
    if (handlerError)
        std::rethrow_exception(handlerError);
    return result;
}
