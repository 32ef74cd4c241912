// The header line of a data file: which kind of file it is (products or values) and which field
// holds which column. Names are Chinese or English (English in any letter case), in any order;
// names the kind does not use are listed and their fields ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class ImportKind { Unknown, Products, Values };

enum class ImportColumn {
    Code,
    Name,
    AliasCode,
    InvestType,
    InvestStyle,
    FundType,
    CreateDate,
    Company,
    BuyState,
    RedeemState,
    PyCode,
    Date,
    Value,
    TotalValue,
    Bonus,
    Count
};

class ImportHeader final {
public:
    // Reads the header's field names (UTF-8). kind() is Unknown when error() says why.
    explicit ImportHeader(const std::vector<std::string>& names);

    ImportKind kind() const { return kind_; }
    const std::string& error() const { return error_; }
    // The field index of a column, -1 when the file lacks it.
    int field(ImportColumn column) const { return fields_[static_cast<int>(column)]; }
    bool has(ImportColumn column) const { return field(column) >= 0; }
    int fieldCount() const { return fieldCount_; }
    // Names of the fields this kind of file does not use, in file order.
    const std::vector<std::string>& ignored() const { return ignored_; }

    // The names a column is known by, Chinese first ("代码/code").
    static std::string names(ImportColumn column);

private:
    ImportKind kind_ = ImportKind::Unknown;
    int fields_[static_cast<int>(ImportColumn::Count)];
    int fieldCount_ = 0;
    std::vector<std::string> ignored_;
    std::string error_;
};
