// Word lists and templates the demo generator draws its master data from: goods, categories,
// regions, company and person names.
#pragma once

#include <span>

namespace demodata::Internal {

// What a goods item is used for, which decides its warehouse and the documents it appears in.
enum class GoodsRole {
    Trade,    // bought and sold, and issued to departments (office supplies, equipment ...)
    Material, // raw material issued to production
    Product,  // made in house and taken into stock by product intake
};

struct CategoryTemplate
{
    int id;
    int parent; // 0: top level
    const char *name;
};

struct GoodsTemplate
{
    int category;
    const char *name;
    const char *gg;
    const char *unit;
    double price; // purchase price
    bool batches; // issued from purchase batches (first in, first out)
    GoodsRole role;
};

struct RegionTemplate
{
    int id;
    int parent;
    const char *name;
    const char *cities; // blank-separated cities of a province; empty for larger regions
};

struct DepartmentTemplate
{
    int id;
    int parent;
    const char *name;
    double budget; // yearly issue budget
};

std::span<const CategoryTemplate> goodsCategories();
std::span<const GoodsTemplate> goodsCatalogue();
std::span<const char *const> goodsBrands();
std::span<const RegionTemplate> regions();
std::span<const DepartmentTemplate> departments();

std::span<const char *const> surnames();
std::span<const char *const> givenNameCharacters();
std::span<const char *const> tradeNames();     // the distinctive part of a company name
std::span<const char *const> customerTrades(); // 商贸, 科技, 酒店 ...
std::span<const char *const> supplierTrades(); // 纸业, 文具, 电子 ...
std::span<const char *const> streets();

} // namespace demodata::Internal
