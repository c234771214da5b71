// The master data of a demo set (company, departments, regions, warehouses, accounts, goods,
// customers, suppliers, employees, users and groups) and the personnel and office records of
// its employees.
#pragma once

#include "demodata/names.h"
#include "demodata/util.h"
#include "sql/database.h"

#include <QDate>

#include <map>
#include <string>
#include <vector>

namespace demodata::Internal {

struct Goods
{
    int id = 0;
    int category = 0;
    std::string code, name, gg, unit;
    double jj = 0, jjj = 0, jhy = 0, jvip = 0, jqj = 0, f1 = 0, f2 = 0, f3 = 0;
    double low = 0, high = 0; // stock limits
    int stockKind = 1;        // HPHSFSID
    int warehouse = 1;
    GoodsRole role = GoodsRole::Trade;
};

struct Partner
{
    int id = 0;
    std::string name;
    std::string priceLevel;
    int region = 0;
    bool materials = false; // suppliers of raw materials
};

struct Employee
{
    int id = 0;
    std::string code, name;
    int department = 0;
    std::string post;
    bool salesman = false;
    bool buyer = false;
    bool keeper = false;
    bool pieceWorker = false;
    bool left = false;
};

// How big a set is and how busy its days are.
struct Sizes
{
    int goods;
    int customers;
    int suppliers;
    int employees;
    int warehouses;
    int months;
    double documentsPerDay; // multiplies the daily means of the small demo
    int maxLines;
};

// The size of a set: the demo (scale 0) or a benchmark set of about scale x 10,000 goods.
Sizes sizesFor(int scale);

// What the documents draw on, held while they are generated.
struct MasterData
{
    std::vector<Goods> goods;                   // goods[i] has ID i + 1
    std::map<int, std::vector<int>> tradeGoods; // traded goods by home warehouse
    std::vector<int> materials;
    std::vector<int> products;
    std::vector<int> batchGoods; // traded goods issued from purchase batches
    std::vector<int> tradeWarehouses;
    std::vector<int> departments;
    std::vector<Partner> customers; // customers[0] is the walk-in customer, ID 1
    std::vector<Partner> suppliers;
    std::vector<int> tradeSuppliers;
    std::vector<int> materialSuppliers;
    std::vector<Employee> employees; // employees[i] has ID i + 1
    std::vector<int> active;         // employees who have not left
    std::vector<int> salesmen;
    std::vector<int> buyers;
    std::vector<int> keepers;
    std::vector<int> pieceWorkers;
    std::map<int, std::vector<int>> byDepartment;
    std::vector<std::string> operators; // user names; the first audits
    std::map<int, double> receivable;   // opening balances of customers
    std::map<int, double> payable;      // opening balances of suppliers
    std::map<int, double> accounts;     // opening balances of the accounts

    const Goods &goodsItem(int id) const { return goods[size_t(id - 1)]; }
    const Employee &employee(int id) const { return employees[size_t(id - 1)]; }
    const std::vector<int> &tradeGoodsAt(int warehouse) const
    {
        return listAt(tradeGoods, warehouse);
    }
    const std::vector<int> &staffOf(int department) const
    {
        return listAt(byDepartment, department);
    }

private:
    static const std::vector<int> &listAt(const std::map<int, std::vector<int>> &lists, int key)
    {
        static const std::vector<int> none;
        const auto found = lists.find(key);
        return found == lists.end() ? none : found->second;
    }
};

// Stores the master data of a set whose documents run from first to today.
MasterData createMasterData(sql::Database &db, Random &random, int scale, const QDate &first,
                            const QDate &today);

// Stores personnel records, office records and wages of the employees over the period.
void createPersonnelRecords(sql::Database &db, Random &random, const MasterData &master,
                            const QDate &first, const QDate &today);

} // namespace demodata::Internal
