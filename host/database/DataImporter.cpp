#include "DataImporter.h"

#include <windows.h>
#include <objbase.h>
#include <sqlite3.h>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include "CsvRecordReader.h"
#include "Gb18030.h"
#include "ImportFields.h"
#include "ImportTextFile.h"
#include "SqliteStatement.h"
#include "WritableDatabase.h"
#include "XString.h"

namespace {

constexpr const char* kDefaultFundType = "集合理财产品";
constexpr uint64_t kProgressStep = 1 << 20;

std::string utf8(const std::wstring& text) {
    const XStringA bytes = XStringW(text.c_str()).toUtf8();
    return std::string(bytes.c_str(), static_cast<size_t>(bytes.length()));
}

// A prepared statement that binds by position.
class Statement final {
public:
    bool prepare(sqlite3* db, const char* sql) {
        db_ = db;
        return sqlite3_prepare_v2(db, sql, -1, owner_.out(), nullptr) == SQLITE_OK;
    }
    Statement& text(int i, std::string_view value) {
        sqlite3_bind_text(owner_.get(), i, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
        return *this;
    }
    // An empty text binds null: "not given".
    Statement& textOrNull(int i, std::string_view value) {
        if (value.empty())
            sqlite3_bind_null(owner_.get(), i);
        else
            text(i, value);
        return *this;
    }
    Statement& real(int i, double value) {
        sqlite3_bind_double(owner_.get(), i, value);
        return *this;
    }
    Statement& integerOrNull(int i, int value, bool given) {
        if (given)
            sqlite3_bind_int(owner_.get(), i, value);
        else
            sqlite3_bind_null(owner_.get(), i);
        return *this;
    }
    // Runs a writing statement; the rows it changed, or -1 on failure.
    int run() {
        const int rc = sqlite3_step(owner_.get());
        sqlite3_reset(owner_.get());
        return rc == SQLITE_DONE ? sqlite3_changes(db_) : -1;
    }
    // Runs a query for its first row's first column as text; false when it has no row.
    bool first(std::string* value) {
        const bool found = sqlite3_step(owner_.get()) == SQLITE_ROW;
        if (found && value) {
            const unsigned char* t = sqlite3_column_text(owner_.get(), 0);
            value->assign(t ? reinterpret_cast<const char*>(t) : "");
        }
        sqlite3_reset(owner_.get());
        return found;
    }

private:
    sqlite3* db_ = nullptr;
    SqliteStatement owner_;
};

// The (code, date) keys of one values file with a fingerprint of the values given for each:
// open addressing over two flat arrays, 12 bytes a slot, at most half of them full.
class KeySet final {
public:
    // Adds key; when it is there already, returns false with the fingerprint it was added with.
    bool insert(uint64_t key, uint32_t print, uint32_t& earlier) {
        if ((count_ + 1) * 2 > keys_.size())
            grow();
        size_t i = slot(key);
        while (keys_[i] != 0) {
            if (keys_[i] == key) {
                earlier = prints_[i];
                return false;
            }
            i = (i + 1) & (keys_.size() - 1);
        }
        keys_[i] = key;
        prints_[i] = print;
        ++count_;
        return true;
    }
    void clear() {
        keys_.clear();
        keys_.shrink_to_fit();
        prints_.clear();
        prints_.shrink_to_fit();
        count_ = 0;
    }

private:
    size_t slot(uint64_t key) const {
        uint64_t z = key * 0x9E3779B97F4A7C15ull;
        z ^= z >> 29;
        return static_cast<size_t>(z) & (keys_.size() - 1);
    }
    void grow() {
        std::vector<uint64_t> keys = std::move(keys_);
        std::vector<uint32_t> prints = std::move(prints_);
        keys_.assign(keys.empty() ? 1024 : keys.size() * 2, 0);
        prints_.assign(keys_.size(), 0);
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] == 0)
                continue;
            size_t j = slot(keys[i]);
            while (keys_[j] != 0)
                j = (j + 1) & (keys_.size() - 1);
            keys_[j] = keys[i];
            prints_[j] = prints[i];
        }
    }

    std::vector<uint64_t> keys_; // 0: free (keys never are 0: code numbers start at 1)
    std::vector<uint32_t> prints_;
    size_t count_ = 0;
};

uint64_t mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h;
}

uint64_t bitsOf(double d) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

uint64_t hashText(std::string_view text) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string newGuid() {
    GUID g{};
    CoCreateGuid(&g);
    char text[48];
    std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool isAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

// A field's text for a message: quoted, cut after 40 bytes at a character's start.
std::string shown(std::string_view text) {
    if (text.size() > 40) {
        size_t cut = 40;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        return "\"" + std::string(text.substr(0, cut)) + "…\"";
    }
    return "\"" + std::string(text) + "\"";
}

} // namespace

// The database side of one import: the connection, its statements, and what is known of the
// products and companies so far.
class DataImporter::Session final {
public:
    WritableDatabase db;
    Statement insertValue, updateValue, insertBonus, updateBonus;
    Statement findFund, insertFund, updateFund, findCompany, insertCompany, upsertState;

    std::function<bool(uint64_t, uint64_t)> progress;
    uint64_t total = 0;      // bytes of all files
    uint64_t doneBefore = 0; // bytes of the files finished
    uint64_t reportedAt = 0;
    bool cancelled = false;

    bool prepare(std::string& error) {
        sqlite3* d = db.get();
        const bool ok =
            insertValue.prepare(
                d, "insert or ignore into tb_valuelist (code, date, value, totalvalue, isdeleted) "
                   "values (?1, ?2, ?3, ?4, 0)") &&
            updateValue.prepare(d, "update tb_valuelist set value = ?3, totalvalue = ?4, isdeleted = 0 "
                                   "where date = ?2 and code = ?1 "
                                   "and (value is not ?3 or totalvalue is not ?4 or isdeleted <> 0)") &&
            insertBonus.prepare(d, "insert or ignore into tb_bonus (code, currdate, bonus, isdeleted) "
                                   "values (?1, ?2, ?3, 0)") &&
            updateBonus.prepare(d, "update tb_bonus set bonus = ?3, isdeleted = 0 where code = ?1 and "
                                   "currdate = ?2 and (bonus is not ?3 or isdeleted <> 0)") &&
            findFund.prepare(d, "select code from tb_fund where code = ?1") &&
            insertFund.prepare(
                d, "insert into tb_fund (code, aliascode, name, investtype, investstyle, fundtype, "
                   "createdate, companyguid, pycode, isdellisting, isdeleted) values (?1, "
                   "coalesce(?2, ?1), ?3, ?4, ?5, coalesce(?6, ?10), ?7, ?8, ?9, 0, 0)") &&
            updateFund.prepare(d,
                               "update tb_fund set aliascode = coalesce(?2, aliascode), name = coalesce(?3, "
                               "name), investtype = coalesce(?4, investtype), investstyle = coalesce(?5, "
                               "investstyle), fundtype = coalesce(?6, fundtype), createdate = coalesce(?7, "
                               "createdate), companyguid = coalesce(?8, companyguid), pycode = coalesce(?9, "
                               "pycode), isdeleted = 0 where code = ?1") &&
            findCompany.prepare(d, "select guid from tb_investadvisor where name = ?1 and not isdeleted "
                                   "order by rowid limit 1") &&
            insertCompany.prepare(
                d, "insert into tb_investadvisor (guid, name, isdeleted) values (?1, ?2, 0)") &&
            // A deleted state row counts as open: a state the file leaves out starts open again.
            upsertState.prepare(d,
                                "insert into tb_buyredeemstate (code, buystate, redeemstate, isdeleted) "
                                "values (?1, coalesce(?2, 1), coalesce(?3, 1), 0) on conflict (code) do "
                                "update set buystate = coalesce(?2, case when isdeleted then 1 else "
                                "buystate end), redeemstate = coalesce(?3, case when isdeleted then 1 else "
                                "redeemstate end), isdeleted = 0");
        if (!ok)
            error =
                std::string("the database's tables are not the product tables (") + sqlite3_errmsg(d) + ")";
        return ok;
    }

    // A known product code's number for the (code, date) keys, 0 when the database has no such
    // product. Each code is looked up in the database once.
    uint32_t codeNumber(std::string_view code) {
        auto found = codes_.find(std::string(code));
        if (found != codes_.end())
            return found->second;
        if (!findFund.text(1, code).first(nullptr))
            return 0;
        return addCode(code);
    }
    uint32_t addCode(std::string_view code) {
        auto [at, added] = codes_.emplace(std::string(code), static_cast<uint32_t>(codes_.size() + 1));
        (void)added;
        return at->second;
    }

    // The guid of the company of that name; a company the database lacks is added.
    bool companyGuid(const std::string& name, std::string& guid) {
        auto found = companies_.find(name);
        if (found != companies_.end()) {
            guid = found->second;
            return true;
        }
        if (!findCompany.text(1, name).first(&guid)) {
            guid = newGuid();
            if (insertCompany.text(1, guid).text(2, name).run() != 1)
                return false;
        }
        companies_[name] = guid;
        return true;
    }

    // After a file was rolled back, what it added is no longer there.
    void forgetAdded() {
        codes_.clear();
        companies_.clear();
    }

    // Reports progress now and then; false once the import is cancelled.
    bool advance(uint64_t fileBytes) {
        const uint64_t done = doneBefore + fileBytes;
        if (done - reportedAt >= kProgressStep || done == total) {
            reportedAt = done;
            if (progress && !progress(done, total))
                cancelled = true;
        }
        return !cancelled;
    }

private:
    std::unordered_map<std::string, uint32_t> codes_;
    std::unordered_map<std::string, std::string> companies_;
};

// One file: its text, header and lines, written inside the caller's savepoint.
class DataImporter::FileImport final {
public:
    enum class Outcome { Imported, Failed, Cancelled, Restart };

    FileImport(Session* session, const ImportRequest& request, FileImportReport& report)
        : session_(session), request_(request), report_(report) {}

    // Reads the header only: the file's kind, or an error in the report.
    ImportKind peekKind() {
        for (;;) {
            report_ = FileImportReport(request_.path);
            const Outcome outcome = open();
            if (outcome == Outcome::Restart && restart())
                continue;
            report_.bytesRead = text_.consumed();
            return outcome == Outcome::Imported ? header_->kind() : ImportKind::Unknown;
        }
    }

    Outcome run() {
        Outcome outcome = open();
        if (outcome == Outcome::Imported)
            outcome = header_->kind() == ImportKind::Values ? values() : products();
        if (outcome == Outcome::Imported && report_.errorCount > 0)
            outcome = Outcome::Failed;
        report_.imported = outcome == Outcome::Imported;
        report_.bytesRead = text_.consumed();
        return outcome;
    }

    // Starts the file again as GB18030 after its bytes proved not to be UTF-8.
    bool restart() {
        std::string error;
        if (!text_.restartAsGb18030(error)) {
            report_.failure = error;
            return false;
        }
        restarted_ = true;
        return true;
    }

private:
    Outcome open() {
        std::string error;
        if (!restarted_ && !text_.open(request_.path, error)) {
            report_.failure = "cannot read the file: " + error;
            return Outcome::Failed;
        }
        reader_ = std::make_unique<CsvRecordReader>(text_);
        sawText_ = false;
        if (reader_->detectSeparator() == CsvRecordReader::Result::Failed)
            return fatal();
        // The header is the first line that is not blank.
        std::vector<std::string> names;
        for (;;) {
            const CsvRecordReader::Result r = reader_->next();
            if (r == CsvRecordReader::Result::Failed)
                return fatal();
            if (r == CsvRecordReader::Result::End) {
                report_.addError(0, "the file holds no header line");
                return Outcome::Failed;
            }
            if (blank())
                continue;
            line_ = reader_->line();
            for (std::string_view f : reader_->fields()) {
                std::string_view t;
                std::string storage;
                if (!decode(f, t, storage))
                    return notText();
                names.emplace_back(t);
            }
            break;
        }
        header_ = std::make_unique<ImportHeader>(names);
        report_.kind = header_->kind();
        report_.ignoredColumns = header_->ignored();
        if (header_->kind() == ImportKind::Unknown) {
            report_.addError(line_, header_->error());
            return Outcome::Failed;
        }
        return Outcome::Imported;
    }

    Outcome fatal() {
        report_.addError(reader_->line(), reader_->failure());
        return Outcome::Failed;
    }

    // A field that is not text in the file's encoding: a file without a byte order mark is
    // read again as GB18030, unless it already showed UTF-8 text (then it is UTF-8 with a
    // damaged line, and reading it as GB18030 would only garble the rest).
    Outcome notText() {
        if (text_.mayBeGb18030() && !sawText_ && !restarted_)
            return Outcome::Restart;
        report_.addError(line_, std::string("the line is not valid ") +
                                    ImportTextFile::encodingName(text_.encoding()) + " text");
        return Outcome::Failed;
    }

    // The field as UTF-8: a view of the field itself when it already is, else of storage.
    bool decode(std::string_view field, std::string_view& out, std::string& storage) {
        if (isAscii(field)) {
            out = field;
            return true;
        }
        if (text_.encoding() == ImportTextFile::Encoding::Gb18030) {
            storage.clear();
            if (!Gb18030::toUtf8(field, storage))
                return false;
            out = storage;
            return true;
        }
        if (!ImportFields::isUtf8(field))
            return false;
        sawText_ = true;
        out = field;
        return true;
    }

    bool blank() const {
        for (std::string_view f : reader_->fields())
            if (!ImportFields::trim(f).empty())
                return false;
        return true;
    }

    // The trimmed text of a column's field in this line, empty when the file or line lacks it.
    // False (reported) when it is not text in the file's encoding.
    bool column(ImportColumn c, std::string_view& out, std::string& storage) {
        const int i = header_->field(c);
        const auto& fields = reader_->fields();
        out = {};
        if (i < 0 || static_cast<size_t>(i) >= fields.size())
            return true;
        if (!decode(ImportFields::trim(fields[static_cast<size_t>(i)]), out, storage)) {
            lineNotText_ = true;
            return false;
        }
        return true;
    }

    void error(std::string reason) { report_.addError(line_, std::move(reason)); }
    bool lineFailed() const { return report_.errorCount > lineErrorsAt_; }

    // Reads the next line that is not blank; false at the end, on a fatal error (outcome set) or
    // when cancelled.
    bool nextLine(Outcome& outcome) {
        for (;;) {
            const CsvRecordReader::Result r = reader_->next();
            if (r == CsvRecordReader::Result::End)
                return false;
            if (r == CsvRecordReader::Result::Failed) {
                outcome = fatal();
                return false;
            }
            if (!session_->advance(text_.consumed())) {
                outcome = Outcome::Cancelled;
                return false;
            }
            if (blank())
                continue;
            line_ = reader_->line();
            lineNotText_ = false;
            lineErrorsAt_ = report_.errorCount;
            const auto& fields = reader_->fields();
            for (size_t i = static_cast<size_t>(header_->fieldCount()); i < fields.size(); ++i)
                if (!ImportFields::trim(fields[i]).empty()) {
                    error("the line has " + std::to_string(fields.size()) + " fields, the header " +
                          std::to_string(header_->fieldCount()));
                    break;
                }
            return true;
        }
    }

    // Reads a date column; false (reported) when it is given and is not a real day.
    bool date(std::string_view text, const char* what, ImportFields::Date& out) {
        switch (ImportFields::parseDate(text, out)) {
        case ImportFields::DateResult::Ok:
            return true;
        case ImportFields::DateResult::NotADate:
            error(std::string(what) + " " + shown(text) +
                  " is not a date (2024-05-31, 2024/5/31 or 20240531)");
            return false;
        case ImportFields::DateResult::NoSuchDay:
            error(std::string(what) + " " + shown(text) + " does not exist");
            return false;
        }
        return false;
    }

    // The code of a values file without a code column: the one asked for, or the file's name.
    bool fileCode() {
        if (header_->has(ImportColumn::Code))
            return true;
        if (!request_.code.empty()) {
            fileCode_ = request_.code;
        } else {
            const size_t slash = request_.path.find_last_of(L"\\/");
            std::wstring name = request_.path.substr(slash == std::wstring::npos ? 0 : slash + 1);
            const size_t dot = name.find_last_of(L'.');
            fileCode_ = utf8(dot == std::wstring::npos ? name : name.substr(0, dot));
        }
        fileCodeNumber_ = session_->codeNumber(fileCode_);
        if (fileCodeNumber_ != 0)
            return true;
        error("no " + ImportHeader::names(ImportColumn::Code) + " column, and " + shown(fileCode_) +
              (request_.code.empty() ? " (the file's name)" : "") +
              " is not a product of the database or of a products file of this import");
        return false;
    }

    Outcome values() {
        if (!fileCode())
            return Outcome::Failed;
        keys_.clear();
        Outcome outcome = Outcome::Imported;
        std::string storage[5];
        while (nextLine(outcome)) {
            std::string_view code = fileCode_, dateText, valueText, totalText, bonusText;
            if (header_->has(ImportColumn::Code))
                column(ImportColumn::Code, code, storage[0]);
            column(ImportColumn::Date, dateText, storage[1]);
            column(ImportColumn::Value, valueText, storage[2]);
            column(ImportColumn::TotalValue, totalText, storage[3]);
            column(ImportColumn::Bonus, bonusText, storage[4]);
            if (lineNotText_ && notText() == Outcome::Restart)
                return Outcome::Restart;
            if (lineFailed())
                continue;
            ImportFields::Date day;
            double value = 0, total = 0, bonus = 0;
            if (code.empty()) {
                error("no code");
                continue;
            }
            if (dateText.empty()) {
                error("no date");
                continue;
            }
            if (!date(dateText, "the date", day))
                continue;
            if (valueText.empty()) {
                error("no unit value");
                continue;
            }
            if (!ImportFields::parseNumber(valueText, value) || !(value > 0)) {
                error("the unit value " + shown(valueText) + " is not a positive number");
                continue;
            }
            total = value;
            if (!totalText.empty() && !ImportFields::parseNumber(totalText, total)) {
                error("the accumulated value " + shown(totalText) + " is not a number");
                continue;
            }
            if (!bonusText.empty() && !ImportFields::parseNumber(bonusText, bonus)) {
                error("the dividend " + shown(bonusText) + " is not a number");
                continue;
            }
            if (bonus < 0) {
                error("the dividend " + shown(bonusText) + " is negative");
                continue;
            }
            const uint32_t number = fileCode_.empty() ? session_->codeNumber(code) : fileCodeNumber_;
            if (number == 0) {
                error("the product " + shown(code) +
                      " is not in the database nor in a products file of this import");
                continue;
            }
            // A value given twice is one value when both lines say the same.
            const uint64_t key =
                (uint64_t(number) << 32) | uint32_t(ImportFields::dayNumber(day) + (1 << 30));
            const uint32_t print =
                static_cast<uint32_t>(mix(mix(bitsOf(value), bitsOf(total)), bitsOf(bonus > 0 ? bonus : 0)));
            uint32_t earlier = 0;
            ++report_.values;
            if (bonus > 0)
                ++report_.dividends;
            if (!keys_.insert(key, print, earlier)) {
                if (earlier != print)
                    error("the product " + shown(code) + " on " + ImportFields::formatDate(day) +
                          " appears earlier in the file with other values");
                else
                    ++report_.unchanged;
                continue;
            }
            // A file with errors is rolled back at its end; it is only read on for the errors.
            if (report_.errorCount == 0 && !writeValue(code, day, value, total, bonus))
                return Outcome::Failed;
        }
        return outcome;
    }

    bool writeValue(std::string_view code, const ImportFields::Date& day, double value, double total,
                    double bonus) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", day.year, day.month, day.day);
        const std::string_view dateText(date, 10);
        Session& s = *session_;
        int changed = s.insertValue.text(1, code).text(2, dateText).real(3, value).real(4, total).run();
        const bool added = changed == 1;
        if (changed == 0)
            changed = s.updateValue.text(1, code).text(2, dateText).real(3, value).real(4, total).run();
        if (changed >= 0 && bonus > 0) {
            int bonusChanged = s.insertBonus.text(1, code).text(2, dateText).real(3, bonus).run();
            if (bonusChanged == 0)
                bonusChanged = s.updateBonus.text(1, code).text(2, dateText).real(3, bonus).run();
            changed = bonusChanged < 0 ? -1 : changed + bonusChanged;
        }
        if (changed < 0) {
            noteDatabaseError();
            return false;
        }
        if (!added)
            ++(changed > 0 ? report_.changed : report_.unchanged);
        return true;
    }

    void noteDatabaseError() {
        report_.failure = "line " + std::to_string(line_) +
                          ": the database refused it: " + sqlite3_errmsg(session_->db.get());
    }

    Outcome products() {
        Outcome outcome = Outcome::Imported;
        std::unordered_map<std::string, uint64_t> seen; // code -> fingerprint of its line
        constexpr ImportColumn kTexts[] = {
            ImportColumn::Code,       ImportColumn::AliasCode,   ImportColumn::Name,
            ImportColumn::InvestType, ImportColumn::InvestStyle, ImportColumn::FundType,
            ImportColumn::CreateDate, ImportColumn::Company,     ImportColumn::PyCode,
            ImportColumn::BuyState,   ImportColumn::RedeemState};
        constexpr size_t kCount = sizeof kTexts / sizeof kTexts[0];
        std::string storage[kCount];
        std::string_view t[kCount];
        while (nextLine(outcome)) {
            for (size_t i = 0; i < kCount; ++i)
                column(kTexts[i], t[i], storage[i]);
            if (lineNotText_ && notText() == Outcome::Restart)
                return Outcome::Restart;
            if (lineFailed())
                continue;
            const std::string_view code = t[0], name = t[2], created = t[6], company = t[7];
            if (code.empty()) {
                error("no code");
                continue;
            }
            ImportFields::Date founded;
            if (!created.empty() && !date(created, "the founding date", founded))
                continue;
            int buy = 1, redeem = 1;
            if (!t[9].empty() && !ImportFields::parseState(t[9], buy)) {
                error("the buy state " + shown(t[9]) + " is not 开放, 暂停, 1 or 0");
                continue;
            }
            if (!t[10].empty() && !ImportFields::parseState(t[10], redeem)) {
                error("the redeem state " + shown(t[10]) + " is not 开放, 暂停, 1 or 0");
                continue;
            }
            uint64_t print = 0;
            for (size_t i = 0; i < kCount; ++i)
                print = mix(print, hashText(t[i]));
            auto [at, first] = seen.emplace(std::string(code), print);
            if (!first) {
                if (at->second != print)
                    error("the product " + shown(code) + " appears earlier in the file with other fields");
                continue;
            }
            const bool known = session_->codeNumber(code) != 0;
            if (!known && name.empty()) {
                error("the new product " + shown(code) + " has no name");
                continue;
            }
            ++report_.products;
            if (report_.errorCount > 0)
                continue;
            std::string guid;
            if (!company.empty() && !session_->companyGuid(std::string(company), guid)) {
                noteDatabaseError();
                return Outcome::Failed;
            }
            const std::string createdText =
                created.empty() ? std::string() : ImportFields::formatDate(founded);
            Statement& write = known ? session_->updateFund : session_->insertFund;
            write.text(1, code)
                .textOrNull(2, t[1])
                .textOrNull(3, name)
                .textOrNull(4, t[3])
                .textOrNull(5, t[4])
                .textOrNull(6, t[5])
                .textOrNull(7, createdText)
                .textOrNull(8, guid)
                .textOrNull(9, t[8]);
            if (!known)
                write.text(10, kDefaultFundType);
            bool ok = write.run() == 1;
            if (ok && (!t[9].empty() || !t[10].empty()))
                ok = session_->upsertState.text(1, code)
                         .integerOrNull(2, buy, !t[9].empty())
                         .integerOrNull(3, redeem, !t[10].empty())
                         .run() == 1;
            if (!ok) {
                noteDatabaseError();
                return Outcome::Failed;
            }
            session_->addCode(code);
        }
        return outcome;
    }

    Session* session_;
    const ImportRequest& request_;
    FileImportReport& report_;
    ImportTextFile text_;
    std::unique_ptr<CsvRecordReader> reader_;
    std::unique_ptr<ImportHeader> header_;
    bool restarted_ = false;
    bool sawText_ = false;     // a field held non-ASCII text valid in the file's encoding
    bool lineNotText_ = false; // the line has a field that is not text in the file's encoding
    int64_t line_ = 0;
    int64_t lineErrorsAt_ = 0; // the report's error count when the line began
    std::string fileCode_;
    uint32_t fileCodeNumber_ = 0;
    KeySet keys_;
};

DataImporter::DataImporter(std::wstring databasePath) : databasePath_(std::move(databasePath)) {}

DataImporter::~DataImporter() = default;

ImportReport DataImporter::run(const std::vector<ImportRequest>& files) {
    ImportReport report;
    report.files.resize(files.size());
    Session session;
    session.progress = progress_;

    // Products files first: their products are known to the values files after them.
    std::vector<uint64_t> sizes(files.size(), 0);
    std::vector<size_t> order;
    for (size_t i = 0; i < files.size(); ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExW(files[i].path.c_str(), GetFileExInfoStandard, &data))
            sizes[i] = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        session.total += sizes[i];
        if (FileImport(nullptr, files[i], report.files[i]).peekKind() == ImportKind::Products)
            order.push_back(i);
    }
    for (size_t i = 0; i < files.size(); ++i)
        if (report.files[i].kind != ImportKind::Products)
            order.push_back(i);

    // A reason for every file that has none of its own yet.
    auto failAll = [&](const std::string& why) {
        for (FileImportReport& f : report.files)
            if (f.imported || (f.failure.empty() && f.errorCount == 0)) {
                f.imported = false;
                f.failure = why;
            }
        return report;
    };

    std::string error;
    const std::string busy = "the database is in use by another program (waited " +
                             std::to_string((busyTimeoutMs_ + 999) / 1000) + " s)";
    if (!session.db.open(databasePath_, true, busyTimeoutMs_, error))
        return failAll("cannot open the database for writing: " + error);
    if (!session.db.exec("begin immediate", error))
        return failAll(session.db.busy() ? busy : "cannot write the database: " + error);
    const int64_t changesBefore = sqlite3_total_changes64(session.db.get());
    if (!session.db.addMissingSchema(error) || !session.prepare(error)) {
        std::string ignored;
        session.db.exec("rollback", ignored);
        return failAll(error);
    }

    for (size_t i : order) {
        FileImportReport& fileReport = report.files[i];
        if (fileReport.kind != ImportKind::Unknown) {
            // Each file in a savepoint of its own: a file with errors is taken back whole.
            fileReport = FileImportReport(files[i].path);
            FileImport file(&session, files[i], fileReport);
            session.db.exec("savepoint import_file", error);
            FileImport::Outcome outcome = file.run();
            if (outcome == FileImport::Outcome::Restart) {
                session.db.exec("rollback to import_file", error);
                session.forgetAdded();
                fileReport = FileImportReport(files[i].path);
                outcome = file.restart() ? file.run() : FileImport::Outcome::Failed;
            }
            if (outcome != FileImport::Outcome::Imported) {
                session.db.exec("rollback to import_file", error);
                session.forgetAdded();
            }
            session.db.exec("release import_file", error);
            if (outcome == FileImport::Outcome::Cancelled || session.cancelled) {
                session.db.exec("rollback", error);
                report.cancelled = true;
                return failAll("the import was cancelled");
            }
        }
        session.doneBefore += sizes[i];
    }
    // Nothing imported: not even the tables a new file was given are kept.
    bool anyImported = false;
    for (const FileImportReport& f : report.files)
        anyImported = anyImported || f.imported;
    if (!anyImported) {
        session.db.exec("rollback", error);
        return report;
    }
    if (!session.db.exec("commit", error)) {
        const bool wasBusy = session.db.busy();
        std::string ignored;
        session.db.exec("rollback", ignored);
        return failAll(wasBusy ? busy : "cannot write the database: " + error);
    }
    report.rowsChanged = sqlite3_total_changes64(session.db.get()) - changesBefore;
    return report;
}
