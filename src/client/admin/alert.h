// The alert window TFrmAlert ("系统提示"): after login, how many documents of each type wait for
// an audit the user may give, and the goods whose stock in a warehouse is outside the goods'
// limits. A type opens its document list on the documents still waiting.
#pragma once

#include "client/forms/rootform.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>

class QCheckBox;
class QPushButton;
class QTabWidget;
class TClientDataSet;
class TDataSource;
class TDBGrid;

// One document type the alert counts.
struct TAlertType
{
    const char *Name;      // "库存盘点", the row's sType
    const char *Source;    // the header table, or a from-clause where "%1" is the warehouses
    const char *Menu;      // the menu item whose "Auditing" right lets the user audit it
    const char *ListClass; // the document list that shows it
};

// The types of the kind ("audit_office", "audit_jxc"), in their order; nothing for another kind.
std::optional<std::span<const TAlertType>> AlertTypes(const QString &kind);
const TAlertType *FindAlertType(const QString &name);

// The count query over the types the user may audit; empty when there is none. warehouseFrom
// is the user's warehouse source (" CK C ").
QString PendingAuditSQL(std::span<const TAlertType> types,
                        const std::function<bool(const QString &menu)> &mayAudit,
                        const QString &warehouseFrom);
// Goods outside their stock limits in a warehouse of the user's.
QString StockAlarmSQL(const QString &warehouseFrom);

class TFrmAlert : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TFrmAlert(QWidget *parent = nullptr);
    ~TFrmAlert() override;

    // Runs the count query (empty: nothing to count); the stock alarms are read when their
    // page is first shown.
    void Load(const QString &pendingSql);
    bool HasPending() const;
    // The pending types, in order, as "name=count".
    QStringList PendingRows() const;

    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    TDBGrid *grdAudit;
    QWidget *TabSheet2;
    TDBGrid *grdStock;
    QCheckBox *chkShowAtStart;
    QPushButton *btnView;
    QPushButton *btnClose;

    TClientDataSet &AuditRows() { return *m_audit; }
    TClientDataSet &StockRows() { return *m_stock; }

    // "查看(&S)": the current type's document list on the documents waiting.
    void btnViewClick();

protected:
    void FormClose() override;

private:
    void loadStockAlarms();

    std::unique_ptr<TClientDataSet> m_audit;
    std::unique_ptr<TDataSource> m_sAudit;
    std::unique_ptr<TClientDataSet> m_stock;
    std::unique_ptr<TDataSource> m_sStock;
};

// The alert of the kind: at start only when [login] showaudit allows it and something waits.
// The window shows modelessly and releases itself; it is returned when shown.
TFrmAlert *ShowAlertWindow(const QString &kind, bool atStart, QWidget *parent = nullptr);
