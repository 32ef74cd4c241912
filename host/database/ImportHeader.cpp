#include "ImportHeader.h"

#include <algorithm>
#include <cctype>
#include "ImportFields.h"

namespace {

struct ColumnName {
    ImportColumn column;
    const char* name; // Chinese as written, English in lower case
};

constexpr ColumnName kNames[] = {
    {ImportColumn::Code, "代码"},
    {ImportColumn::Code, "code"},
    {ImportColumn::Name, "名称"},
    {ImportColumn::Name, "name"},
    {ImportColumn::AliasCode, "简称代码"},
    {ImportColumn::AliasCode, "aliascode"},
    {ImportColumn::InvestType, "投资类型"},
    {ImportColumn::InvestType, "investtype"},
    {ImportColumn::InvestStyle, "投资风格"},
    {ImportColumn::InvestStyle, "investstyle"},
    {ImportColumn::FundType, "基金类型"},
    {ImportColumn::FundType, "fundtype"},
    {ImportColumn::CreateDate, "成立日期"},
    {ImportColumn::CreateDate, "createdate"},
    {ImportColumn::Company, "基金公司"},
    {ImportColumn::Company, "company"},
    {ImportColumn::BuyState, "申购状态"},
    {ImportColumn::BuyState, "buystate"},
    {ImportColumn::RedeemState, "赎回状态"},
    {ImportColumn::RedeemState, "redeemstate"},
    {ImportColumn::PyCode, "拼音简码"},
    {ImportColumn::PyCode, "pycode"},
    {ImportColumn::Date, "净值日期"},
    {ImportColumn::Date, "日期"},
    {ImportColumn::Date, "date"},
    {ImportColumn::Value, "单位净值"},
    {ImportColumn::Value, "value"},
    {ImportColumn::TotalValue, "累计净值"},
    {ImportColumn::TotalValue, "totalvalue"},
    {ImportColumn::Bonus, "分红"},
    {ImportColumn::Bonus, "每份分红"},
    {ImportColumn::Bonus, "bonus"},
};

bool isValuesColumn(ImportColumn c) {
    return c == ImportColumn::Date || c == ImportColumn::Value || c == ImportColumn::TotalValue ||
           c == ImportColumn::Bonus;
}

int columnOf(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::tolower(c)) : char(c); });
    for (const ColumnName& n : kNames)
        if (lower == n.name)
            return static_cast<int>(n.column);
    return -1;
}

} // namespace

std::string ImportHeader::names(ImportColumn column) {
    std::string text;
    for (const ColumnName& n : kNames)
        if (n.column == column)
            text += (text.empty() ? "" : "/") + std::string(n.name);
    return text;
}

ImportHeader::ImportHeader(const std::vector<std::string>& names) {
    std::fill(std::begin(fields_), std::end(fields_), -1);
    fieldCount_ = static_cast<int>(names.size());
    std::vector<int> columns(names.size(), -1);
    bool values = false;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string_view name = ImportFields::trim(names[i]);
        const int c = columnOf(name);
        columns[i] = c;
        if (c < 0)
            continue;
        if (fields_[c] >= 0) {
            error_ =
                "the column " + names.at(i) + " appears twice (" + ImportHeader::names(ImportColumn(c)) + ")";
            return;
        }
        fields_[c] = static_cast<int>(i);
        values = values || isValuesColumn(ImportColumn(c));
    }
    if (values) {
        for (ImportColumn required : {ImportColumn::Date, ImportColumn::Value})
            if (!has(required)) {
                error_ = "a values file needs the column " + ImportHeader::names(required);
                return;
            }
    } else if (!has(ImportColumn::Code)) {
        error_ = "neither a products header (with " + ImportHeader::names(ImportColumn::Code) +
                 ") nor a values header (with " + ImportHeader::names(ImportColumn::Date) + " and " +
                 ImportHeader::names(ImportColumn::Value) + ")";
        return;
    }
    kind_ = values ? ImportKind::Values : ImportKind::Products;
    // A values file uses the code and the values columns; the product columns are not its to set.
    for (size_t i = 0; i < names.size(); ++i) {
        const int c = columns[i];
        const bool used =
            c >= 0 && (!values || c == int(ImportColumn::Code) || isValuesColumn(ImportColumn(c)));
        if (!used && c >= 0)
            fields_[c] = -1;
        if (!used && !ImportFields::trim(names[i]).empty())
            ignored_.emplace_back(ImportFields::trim(names[i]));
    }
}
