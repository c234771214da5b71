// Change logs to protocol changes and refused rows back.
#include "client/data/deltachanges.h"

#include <QHash>

QList<wire::Change> WireChanges(const TDelta &delta)
{
    const int columns = int(delta.FieldDefs.size());
    bool hasKey = false;
    for (const TFieldDef &def : delta.FieldDefs)
        hasKey = hasKey || (def.ProviderFlags & pfInKey);
    QList<wire::Change> changes;
    changes.reserve(delta.Rows.size());
    for (const TDeltaRow &row : delta.Rows) {
        wire::Change change;
        switch (row.UpdateKind) {
        case ukInsert:
            change.kind = wire::ChangeKind::Insert;
            break;
        case ukModify:
            change.kind = wire::ChangeKind::Modify;
            break;
        case ukDelete:
            change.kind = wire::ChangeKind::Delete;
            break;
        }
        for (int i = 0; i < columns; ++i) {
            const TFieldDef &def = delta.FieldDefs[i];
            const bool located = def.ProviderFlags & (pfInWhere | pfInKey);
            const bool key = def.ProviderFlags & pfInKey;
            const bool changed = row.Changed.value(i);
            // The server finds a row by its key and checks the changed columns for changes
            // made meanwhile; a row of a table without a key is found by all its values.
            if (row.UpdateKind != ukInsert && located &&
                (!hasKey || key || (row.UpdateKind == ukModify && changed)))
                change.oldValues.insert(def.Name, row.OldValues.value(i));
            if (row.UpdateKind != ukDelete && (def.ProviderFlags & pfInUpdate) && changed)
                change.newValues.insert(def.Name, row.NewValues.value(i));
        }
        changes.append(std::move(change));
    }
    return changes;
}

TApplyResult ApplyResultOf(bool rolledBack, const QList<wire::RowError> &errors,
                           const TDelta &delta)
{
    TApplyResult result;
    result.RolledBack = rolledBack;
    for (const wire::RowError &error : errors) {
        TUpdateError rejected;
        rejected.RowIndex = error.index;
        rejected.ErrorCode = error.code;
        rejected.Message = error.message;
        if (!error.current.isEmpty() && error.index >= 0 && error.index < delta.Rows.size()) {
            QHash<QString, QVariant> current;
            for (auto it = error.current.cbegin(); it != error.current.cend(); ++it)
                current.insert(it.key().toUpper(), it.value());
            const TDeltaRow &row = delta.Rows[error.index];
            for (int i = 0; i < delta.FieldDefs.size(); ++i) {
                const auto value = current.constFind(delta.FieldDefs[i].Name.toUpper());
                if (value != current.cend())
                    rejected.CurValues.append(value.value());
                else
                    rejected.CurValues.append(row.UpdateKind == ukInsert ? row.NewValues.value(i)
                                                                         : row.OldValues.value(i));
            }
        }
        result.Errors.append(rejected);
    }
    return result;
}
