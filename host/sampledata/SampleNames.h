// Fictional Chinese names of companies and products, each with the pinyin initials of its
// characters (the pycode the client's keyword search matches).
#pragma once

#include <string>
#include "SampleRandom.h"

struct NamedText {
    std::string text; // UTF-8
    std::string initials;
};

class SampleNames final {
public:
    // A two-character house name such as 瑞泽 (RZ).
    static NamedText housePrefix(SampleRandom& random);
    // The company of a house: short name (瑞泽证券) and full name (瑞泽证券股份有限公司).
    static void companyNames(SampleRandom& random, const NamedText& prefix, std::string& shortName,
                             std::string& fullName);
    // A collective product of a house, such as 瑞泽稳健增利3号.
    static NamedText collectiveProduct(SampleRandom& random, const NamedText& prefix);
    // A product of another type, such as 瑞泽价值混合.
    static NamedText otherProduct(SampleRandom& random, const NamedText& prefix);
    static const char* investType(SampleRandom& random);
    static const char* investStyle(SampleRandom& random);
    static const char* otherFundType(SampleRandom& random);
};
