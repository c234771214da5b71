// Header look-ups by code: a document's header field that the user types a code into, the
// query that finds the code and the fields the found row fills. Types list theirs; the
// document form runs them when the field changes.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct THeaderLookup
{
    QString CodeField; // the header field typed into ("aGYSBH")
    QString Sql;       // the query up to the quoted code ("select * from GYS where BH = ")
    QStringList Targets;
    QStringList Sources; // the found row's columns copied into Targets, pair by pair
    // Runs when the code is not found (the picker); without it an unknown code stays as typed.
    std::function<void()> Pick;
};

// The look-ups several document types share. Warehouses, payment methods, accounts and invoice
// types have no codes of their own: their names are typed.
namespace HeaderLookups {
THeaderLookup Supplier(std::function<void()> pick);
THeaderLookup Customer(std::function<void()> pick);
// A salesman's employee code typed into YWY becomes the employee's name.
THeaderLookup Salesman();
THeaderLookup Warehouse();
THeaderLookup PaymentMethod();
THeaderLookup Account();
THeaderLookup InvoiceType();
} // namespace HeaderLookups
