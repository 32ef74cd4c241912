#include "SampleNames.h"

#include <cstddef>

namespace {

struct Word {
    const char* text;
    const char* initials;
};

const Word kHouseChars[] = {
    {"瑞", "R"}, {"恒", "H"}, {"嘉", "J"}, {"鼎", "D"}, {"德", "D"}, {"润", "R"}, {"永", "Y"}, {"信", "X"},
    {"宏", "H"}, {"盛", "S"}, {"安", "A"}, {"汇", "H"}, {"锦", "J"}, {"泽", "Z"}, {"丰", "F"}, {"和", "H"},
    {"通", "T"}, {"益", "Y"}, {"元", "Y"}, {"达", "D"}, {"源", "Y"}, {"联", "L"}, {"融", "R"}, {"鑫", "X"},
};

const Word kThemes[] = {
    {"稳健", "WJ"}, {"增利", "ZL"}, {"成长", "CZ"}, {"优选", "YX"},       {"精选", "JX"},
    {"价值", "JZ"}, {"红利", "HL"}, {"领航", "LH"}, {"季季盈", "JJY"},    {"月月盈", "YYY"},
    {"收益", "SY"}, {"平衡", "PH"}, {"创新", "CX"}, {"灵活配置", "LHPZ"}, {"双债", "SZ"},
    {"量化", "LH"}, {"策略", "CL"}, {"添利", "TL"}, {"鑫享", "XX"},       {"聚利", "JL"},
    {"安心", "AX"}, {"远航", "YH"},
};

struct CompanyKind {
    const char* shortSuffix;
    const char* fullSuffix;
};

const CompanyKind kCompanyKinds[] = {
    {"证券", "证券股份有限公司"},
    {"资管", "证券资产管理有限公司"},
    {"证券", "证券有限责任公司"},
    {"基金", "基金管理有限公司"},
};

const Word kOtherKinds[] = {{"混合", "HH"}, {"债券", "ZQ"}, {"货币", "HB"}, {"理财", "LC"}, {"指数", "ZS"}};

const char* const kInvestTypes[] = {"股票型", "混合型", "债券型", "货币型", "FOF", "QDII"};
const char* const kInvestStyles[] = {"成长型", "价值型", "平衡型", "稳健型", "积极型", "保守型"};
const char* const kOtherFundTypes[] = {"开放式基金", "封闭式基金", "货币市场基金", "银行理财产品"};

template <class T, size_t N> const T& pick(SampleRandom& random, const T (&items)[N]) {
    return items[random.below(static_cast<int>(N))];
}

void append(NamedText& name, const Word& word) {
    name.text += word.text;
    name.initials += word.initials;
}

} // namespace

NamedText SampleNames::housePrefix(SampleRandom& random) {
    NamedText name;
    const int first = random.below(static_cast<int>(std::size(kHouseChars)));
    int second = random.below(static_cast<int>(std::size(kHouseChars)) - 1);
    if (second >= first)
        ++second;
    append(name, kHouseChars[first]);
    append(name, kHouseChars[second]);
    return name;
}

void SampleNames::companyNames(SampleRandom& random, const NamedText& prefix, std::string& shortName,
                               std::string& fullName) {
    const CompanyKind& kind = pick(random, kCompanyKinds);
    shortName = prefix.text + kind.shortSuffix;
    fullName = prefix.text + kind.fullSuffix;
}

NamedText SampleNames::collectiveProduct(SampleRandom& random, const NamedText& prefix) {
    NamedText name = prefix;
    append(name, pick(random, kThemes));
    if (random.chance(0.4))
        append(name, pick(random, kThemes));
    const std::string number = std::to_string(1 + random.below(12));
    name.text += number + "号";
    name.initials += number + "H";
    return name;
}

NamedText SampleNames::otherProduct(SampleRandom& random, const NamedText& prefix) {
    NamedText name = prefix;
    append(name, pick(random, kThemes));
    append(name, pick(random, kOtherKinds));
    return name;
}

const char* SampleNames::investType(SampleRandom& random) {
    return pick(random, kInvestTypes);
}

const char* SampleNames::investStyle(SampleRandom& random) {
    return pick(random, kInvestStyles);
}

const char* SampleNames::otherFundType(SampleRandom& random) {
    return pick(random, kOtherFundTypes);
}
