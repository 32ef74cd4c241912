#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include "FakeItem.h"
#include "gridframe/NumberLocale.h"
#include "gridframe/ValueFormater.h"

namespace {

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override { NumberLocale::setCurrent(NumberLocale::plain()); }

    template <class T, class V> static std::wstring show(const wchar_t* format, V value) {
        ValueFormater<T> f;
        f.SetFormat(format);
        FakeItem item(value);
        return f.Format(&item).c_str();
    }
};

TEST_F(FormatTest, ColumnFormatsOfTheDefaultHeader) {
    EXPECT_EQ(show<double>(L"%.02f%%:*100", 0.0523), L"5.23%");
    EXPECT_EQ(show<double>(L"%.02f%%:*100", -0.005), L"-0.50%");
    EXPECT_EQ(show<XStringW>(L":::0001-01-01=--", L"0001-01-01"), L"--");
    EXPECT_EQ(show<XStringW>(L":::0001-01-01=--", L"2020-03-04"), L"2020-03-04");
}

TEST_F(FormatTest, MissingValuesShowDashes) {
    ValueFormater<double> real;
    real.SetFormat(L"%.2f:::0=zero");
    FakeItem null;
    EXPECT_STREQ(real.Format(&null).c_str(), L"--");
    EXPECT_STREQ(real.Format(nullptr).c_str(), L"--");
    ValueFormater<XStringW> text;
    EXPECT_STREQ(text.Format(&null).c_str(), L"--");
    ValueFormater<int> integer;
    EXPECT_STREQ(integer.Format(nullptr).c_str(), L"--");
}

TEST_F(FormatTest, NumberPart) {
    ValueFormater<double> f;
    EXPECT_TRUE(f.SetFormat(L"%5.2f"));
    EXPECT_EQ(f.precision(), 2); // width is ignored
    EXPECT_TRUE(f.SetFormat(L"%%%.1f"));
    EXPECT_STREQ(f.prefix().c_str(), L"%");
    EXPECT_EQ(f.precision(), 1);
    EXPECT_TRUE(f.SetFormat(L"%.10f"));
    EXPECT_EQ(f.precision(), 0); // only the digit before the letter counts
    EXPECT_TRUE(f.SetFormat(L"<%f>"));
    EXPECT_EQ(f.precision(), ValueFormater<double>::kUnspecifiedPrecision);
    EXPECT_STREQ(f.prefix().c_str(), L"<");
    EXPECT_STREQ(f.suffix().c_str(), L">");
    // An "f" in the trailing text ends the conversion before the "d".
    EXPECT_TRUE(f.SetFormat(L"%d of"));
    EXPECT_STREQ(f.suffix().c_str(), L"");
    EXPECT_EQ(f.precision(), 100);
    EXPECT_TRUE(f.SetFormat(L"%5d%%"));
    EXPECT_EQ(f.precision(), 0);
    EXPECT_STREQ(f.suffix().c_str(), L"%");

    EXPECT_FALSE(f.SetFormat(L"abc"));
    EXPECT_FALSE(f.SetFormat(L"50%"));
    EXPECT_FALSE(f.SetFormat(L"50%%"));
    EXPECT_FALSE(f.SetFormat(L"%x"));
    EXPECT_FALSE(f.SetFormat(L""));
    // A failed number part leaves the column showing the plain value without decimals.
    EXPECT_EQ(show<double>(L"abc", 3.75), L"4");
    EXPECT_EQ(show<double>(L"%f", 3.25), L"3.25");
    EXPECT_EQ(show<double>(L"%.3f", 2.0), L"2.000");
}

TEST_F(FormatTest, ArithmeticPart) {
    EXPECT_EQ(show<double>(L"%.1f:/0", 5.0), L"0.0");
    EXPECT_EQ(show<int>(L"%d:/0", 5), L"0");
    EXPECT_EQ(show<int>(L"%d:/2", 7), L"3");
    EXPECT_EQ(show<int>(L"%d:/2", -7), L"-3"); // truncated toward zero
    EXPECT_EQ(show<int>(L"%d:*0.5", 5), L"2");
    EXPECT_EQ(show<double>(L"%.2f:-1.5", 2.0), L"0.50");
    EXPECT_EQ(show<XStringW>(L"%d:*100", L"abc"), L"abc"); // no effect on texts
    // Out-of-range results stay defined.
    EXPECT_EQ(show<int>(L"%d:*1e30", 5), L"2147483647");
    ValueFormater<double> f;
    EXPECT_FALSE(f.SetFormat(L"%d:x100"));
    EXPECT_FALSE(f.SetFormat(L"%d:*"));
    EXPECT_TRUE(f.SetFormat(L"%d:*abc"));
    EXPECT_EQ(f.operand(), 0.0);
}

TEST_F(FormatTest, RangePartSelectsFromTheLastEntry) {
    EXPECT_EQ(show<int>(L"::;10000,K", 25000), L"2K");
    EXPECT_EQ(show<int>(L"::;10000,K", -25000), L"-2K");
    EXPECT_EQ(show<int>(L"::;10000,K", 9999), L"9999");
    EXPECT_EQ(show<int>(L"::M;10000,K", 9999), L"9999M");
    // The last matching entry wins, not the largest threshold.
    EXPECT_EQ(show<int>(L"::;10000,W;100000000,Y", 250000000), L"2Y");
    EXPECT_EQ(show<int>(L"::;100000000,Y;10000,W", 250000000), L"25000W");
    EXPECT_EQ(show<double>(L"%.1f::;1000,K", 2500.0), L"2.5K");
    EXPECT_EQ(show<XStringW>(L"::;x,U", L"abc"), L"abcU");
    EXPECT_EQ(show<XStringW>(L"::;x,U;y,V", L"a"), L"aV");
    // INT_MIN divided by -1 must not overflow.
    EXPECT_EQ(show<int>(L"::;-1,N", INT_MIN), L"2147483648N");

    ValueFormater<int> f;
    EXPECT_FALSE(f.SetFormat(L"::;10000"));
    EXPECT_FALSE(f.SetFormat(L"::;1,a,b"));
    EXPECT_FALSE(f.SetFormat(L"::;0,Z")); // a zero threshold could only divide by zero
    EXPECT_FALSE(f.SetFormat(L"::;abc,Z"));
    EXPECT_TRUE(f.ranges().empty());
    ValueFormater<double> real;
    EXPECT_FALSE(real.SetFormat(L"::;0.0,Z"));
    EXPECT_TRUE(real.SetFormat(L"::;0.5,h"));
}

TEST_F(FormatTest, ReplacementPart) {
    EXPECT_EQ(show<int>(L"%d:*2::0=none;5=five", 5), L"five"); // before arithmetic
    EXPECT_EQ(show<int>(L"%d:*2::0=none;5=five", 6), L"12");
    EXPECT_EQ(show<XStringW>(L":::a=1;a=2", L"a"), L"1"); // the first entry stays
    EXPECT_EQ(show<double>(L"%.2f:::0.1=tenth", 0.1), L"tenth");
    EXPECT_EQ(show<double>(L"%.2f:::0.1=tenth", 0.1000001), L"0.10");

    ValueFormater<XStringW> f;
    EXPECT_FALSE(f.SetFormat(L":::")); // an empty fourth part fails ...
    EXPECT_TRUE(f.SetFormat(L"::"));   // ... a missing one does not
    EXPECT_FALSE(f.SetFormat(L":::a=b=c"));
    EXPECT_FALSE(f.SetFormat(L":::a=b;;"));
    EXPECT_TRUE(f.SetFormat(L":::a=b::ignored"));
    EXPECT_EQ(f.replacements().size(), 1u);
    // Earlier parts survive a failing later part.
    ValueFormater<double> g;
    EXPECT_FALSE(g.SetFormat(L"%.3f:*2:;1,x,y"));
    EXPECT_EQ(g.precision(), 3);
    EXPECT_EQ(g.op(), L'*');
    EXPECT_FALSE(g.SetFormat(L":::nan=x")); // NaN can never equal a value
}

TEST_F(FormatTest, EachFormatStartsFromNothing) {
    // A formatter parsed again (a new header) keeps nothing of its earlier format, whether the new
    // one is understood, missing parts, empty or failing in its first part.
    ValueFormater<int> f;
    for (const wchar_t* next : {L"::", L"", L"abc", L"%d"}) {
        SCOPED_TRACE(testing::Message() << "then " << testing::PrintToString(std::wstring(next)));
        ASSERT_TRUE(f.SetFormat(L"<%d>:*2:M;10,K:5=five"));
        ASSERT_EQ(f.ranges().size(), 1u);
        f.SetFormat(next);
        EXPECT_STREQ(f.prefix().c_str(), L"");
        EXPECT_STREQ(f.suffix().c_str(), L"");
        EXPECT_EQ(f.op(), L'\0');
        EXPECT_EQ(f.operand(), 0.0);
        EXPECT_TRUE(f.ranges().empty());
        EXPECT_STREQ(f.defaultUnit().c_str(), L"");
        EXPECT_TRUE(f.replacements().empty());
        FakeItem five(5), hundred(100);
        EXPECT_STREQ(f.Format(&five).c_str(), L"5");
        EXPECT_STREQ(f.Format(&hundred).c_str(), L"100");
    }
    ValueFormater<double> real;
    ASSERT_TRUE(real.SetFormat(L"%.3f"));
    real.SetFormat(L"::");
    EXPECT_EQ(real.precision(), 0);
    FakeItem value(2.25);
    EXPECT_STREQ(real.Format(&value).c_str(), L"2");
}

TEST_F(FormatTest, UserLocaleGroupingAndDecimalPoint) {
    NumberLocale german = NumberLocale::plain();
    german.decimalPoint = L",";
    german.thousandSeparator = L".";
    NumberLocale::parseGrouping(L"3;0", german);
    NumberLocale::setCurrent(german);
    EXPECT_EQ(show<double>(L"%.2f", 1234567.891), L"1.234.567,89");
    EXPECT_EQ(show<double>(L"%.2f", -999.5), L"-999,50");
    EXPECT_EQ(show<int>(L"%d", -1234567), L"-1.234.567");
    EXPECT_EQ(show<int>(L"::;10000,K", 25000000), L"2.500K");

    NumberLocale indian = german;
    NumberLocale::parseGrouping(L"3;2;0", indian);
    NumberLocale::setCurrent(indian);
    EXPECT_EQ(show<int>(L"%d", 123456789), L"12.34.56.789");
    NumberLocale once = german;
    NumberLocale::parseGrouping(L"3", once);
    NumberLocale::setCurrent(once);
    EXPECT_EQ(show<int>(L"%d", 123456789), L"123456.789");
}

// Fixed decimals take a short way for common values; every value must still read as printf
// writes it: ties, values next to ties, negative zero, tiny negatives and large magnitudes.
TEST_F(FormatTest, FixedDecimalsAreExactlyPrintfs) {
    std::mt19937_64 random(11);
    std::vector<double> values = {0.0,   -0.0,   0.5,    1.5,      2.5,        -2.5,   0.125,
                                  0.375, 1.0005, 1.0015, -0.00001, 99999999.5, 1e8,    123456789.987654321,
                                  1e-9,  -1e-12, 0.045,  0.055,    9.995,      1.0684, -12.3456};
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, double(int(random() % 14)) - 6);
        double value = double(int64_t(random() % 2000001) - 1000000) / 1000000.0 * magnitude;
        values.push_back(value);
        values.push_back(std::nextafter(value, 1e300));
        // Exact binary ties: k + 1/2, k/4, k/8 at each precision's last place.
        values.push_back((double(int(random() % 20000)) + 0.5) / 8.0);
    }
    for (int precision = 0; precision <= 9; ++precision) {
        const std::wstring format = L"%." + std::to_wstring(precision) + L"f";
        ValueFormater<double> f;
        ASSERT_TRUE(f.SetFormat(format.c_str()));
        for (double value : values) {
            char expected[512];
            std::snprintf(expected, sizeof(expected), "%.*f", precision, value);
            FakeItem item(value);
            const std::wstring shown = f.Format(&item).c_str();
            ASSERT_EQ(shown, std::wstring(expected, expected + std::strlen(expected)))
                << precision << " " << expected;
        }
    }
}

TEST_F(FormatTest, RandomFormatsAndValuesNeverCrash) {
    std::mt19937 random(7);
    const wchar_t alphabet[] = L"%%%%fdd:::;;,,==.-+*/0123456789eExKnNaI ";
    const int alphabetSize = int(sizeof(alphabet) / sizeof(alphabet[0])) - 1;
    ValueFormater<XStringW> text;
    ValueFormater<double> real;
    ValueFormater<int> integer;
    const double specials[] = {0.0, -0.0, 1e308, -1e308, 1e-300, INT_MAX, INT_MIN, 3.5, -2.25};
    size_t total = 0;
    for (int i = 0; i < 100000; ++i) {
        std::wstring format;
        int length = int(random() % 24);
        for (int j = 0; j < length; ++j)
            format += alphabet[random() % unsigned(alphabetSize)];
        double value =
            (i % 3 == 0) ? specials[random() % 9] : double(int(random())) / double(1 + random() % 1000);
        FakeItem item(value);
        FakeItem word(format.c_str());
        text.SetFormat(format.c_str());
        real.SetFormat(format.c_str());
        integer.SetFormat(format.c_str());
        total += size_t(text.Format(&word).length() + real.Format(&item).length() +
                        integer.Format(&item).length());
    }
    EXPECT_GT(total, 0u);
}

} // namespace
