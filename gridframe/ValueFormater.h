// Turns a cell value into the text a grid column shows, following the column's text_format:
//   number part : arithmetic part : range part : replacement part
// e.g. "%.02f%%:*100" shows 0.0523 as "5.23%", ":::0001-01-01=--" shows that date as "--".
// The format is parsed once per column; Format runs for every visible cell on every paint, so it
// builds the text itself and never hands a configured format string to a printf-style routine.
#pragma once

#include <map>
#include <utility>
#include <vector>
#include "module/host/Data.h"
#include "module/host/XString.h"

class ColumnInfo;

// The formatter a column descriptor owns, whatever its value type.
class ValueFormaterBase {
public:
    virtual ~ValueFormaterBase() = default;
    // True when the whole format was understood; a part that fails keeps what came before it.
    virtual bool SetFormat(XStringW format) = 0;
    // "--" for a missing value.
    XStringW Format(const Data::IDataItem* value) const {
        XStringW text;
        FormatTo(value, text);
        return text;
    }
    // The same text into out, reusing its storage: painting and export call it for every cell.
    virtual void FormatTo(const Data::IDataItem* value, XStringW& out) const = 0;
};

template <class T> class ValueFormater final : public ValueFormaterBase {
public:
    explicit ValueFormater(ColumnInfo* owner = nullptr) : owner_(owner) {}

    bool SetFormat(XStringW format) override;
    void FormatTo(const Data::IDataItem* value, XStringW& out) const override;

    // Read access for tests and for callers that show the parsed settings.
    const XStringW& prefix() const { return prefix_; }
    const XStringW& suffix() const { return suffix_; }
    int precision() const { return precision_; }
    wchar_t op() const { return op_; }
    double operand() const { return operand_; }
    const std::vector<std::pair<T, XStringW>>& ranges() const { return ranges_; }
    const XStringW& defaultUnit() const { return defaultUnit_; }
    const std::map<T, XStringW>& replacements() const { return replacements_; }

    static constexpr int kUnspecifiedPrecision = 100;

private:
    void reset();
    bool parseNumberPart(const XStringW& part);
    bool parseArithmeticPart(const XStringW& part);
    bool parseRangePart(const XStringW& part);
    bool parseReplacementPart(const XStringW& part);

    ColumnInfo* owner_;
    XStringW prefix_;
    XStringW suffix_;
    int precision_ = 0;
    wchar_t op_ = 0;
    double operand_ = 0.0;
    std::vector<std::pair<T, XStringW>> ranges_;
    XStringW defaultUnit_;
    std::map<T, XStringW> replacements_;
};

template <> void ValueFormater<XStringW>::FormatTo(const Data::IDataItem* value, XStringW& out) const;
template <> void ValueFormater<double>::FormatTo(const Data::IDataItem* value, XStringW& out) const;
template <> void ValueFormater<int>::FormatTo(const Data::IDataItem* value, XStringW& out) const;

extern template class ValueFormater<XStringW>;
extern template class ValueFormater<double>;
extern template class ValueFormater<int>;
