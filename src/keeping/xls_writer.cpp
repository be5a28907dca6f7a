#include "keeping/xls_writer.h"

#include "keeping/cfb_writer.h"
#include "keeping/little_endian.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tolvane {
namespace {

enum RecordId : std::uint16_t {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodePage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kExtSst = 0x00FF,
    kDimensions = 0x0200,
    kLabelSst = 0x00FD,
    kWindow2 = 0x023E,
};

constexpr std::size_t kMaxRecordBody = 8224;
constexpr std::uint16_t kCellXf = 15;
constexpr std::uint8_t kUtf16Option = 0x01;

void appendRecord(std::string& out, std::uint16_t id, std::string_view body) {
    AppendU16(out, id);
    AppendU16(out, static_cast<std::uint16_t>(body.size()));
    out.append(body);
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool fitsCompressed(std::u16string_view units) {
    return std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit <= 0xFF; });
}

void appendUnits(std::string& out, std::u16string_view units, bool compressed) {
    for (char16_t unit : units) {
        if (compressed)
            AppendU8(out, static_cast<std::uint8_t>(unit));
        else
            AppendU16(out, static_cast<std::uint16_t>(unit));
    }
}

// Code page 936 to UTF-16 code units; a byte iconv cannot read becomes one "?".
class Utf16Converter final {
public:
    Utf16Converter() : cd_(iconv_open("UTF-16LE", "CP936")) {}
    ~Utf16Converter() {
        if (valid())
            iconv_close(cd_);
    }
    Utf16Converter(const Utf16Converter&) = delete;
    Utf16Converter& operator=(const Utf16Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    std::u16string convert(std::string_view text) {
        buffer_.resize(text.size() * 4 + 4);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* out = buffer_.data();
        std::size_t outLeft = buffer_.size();
        std::u16string units;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (iconv(cd_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
                break;
            if (errno != EILSEQ && errno != EINVAL)
                break;
            // Stand-in for the unreadable byte, written as UTF-16LE "?".
            if (outLeft < 2)
                break;
            *out++ = '?';
            *out++ = '\0';
            outLeft -= 2;
            ++in;
            --inLeft;
        }
        const std::size_t bytes = static_cast<std::size_t>(out - buffer_.data());
        units.reserve(bytes / 2);
        for (std::size_t i = 0; i + 1 < bytes; i += 2)
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer_[i]) |
                                                  static_cast<unsigned char>(buffer_[i + 1]) << 8));
        return units;
    }

private:
    iconv_t cd_;
    std::string buffer_;
};

// Cuts at the format's limit without splitting a surrogate pair.
bool cutToCellLimit(std::u16string& units) {
    if (units.size() <= XlsLimits::kCellUnits)
        return false;
    std::size_t keep = XlsLimits::kCellUnits;
    if (isHighSurrogate(units[keep - 1]))
        --keep;
    units.resize(keep);
    return true;
}

bool isValidSheetName(std::u16string_view name) {
    if (name.empty() || name.size() > XlsLimits::kSheetNameUnits)
        return false;
    if (name.front() == u'\'' || name.back() == u'\'')
        return false;
    return name.find_first_of(u":\\/?*[]") == std::u16string_view::npos;
}

// The shared string table, cut into an SST record and CONTINUE records. A
// string's header never stands apart from its first character; a string cut
// between records goes on after a repeated option byte.
class SharedStrings final {
public:
    SharedStrings(std::size_t streamOffset, std::uint32_t references, std::uint32_t unique)
        : streamOffset_(streamOffset), perBucket_(std::max<std::uint32_t>(unique / 128 + 1, 8)) {
        AppendU32(body_, references);
        AppendU32(body_, unique);
    }

    void add(std::u16string_view units) {
        const bool compressed = fitsCompressed(units);
        const std::size_t first = compressed ? 1 : (isHighSurrogate(units.front()) ? 4 : 2);
        if (room() < 3 + first)
            flush();
        if (count_++ % perBucket_ == 0)
            markBucket();
        AppendU16(body_, static_cast<std::uint16_t>(units.size()));
        AppendU8(body_, compressed ? 0 : kUtf16Option);
        const std::size_t unitSize = compressed ? 1 : 2;
        while (true) {
            std::size_t n = std::min(room() / unitSize, units.size());
            if (!compressed && n < units.size() && n > 0 && isHighSurrogate(units[n - 1]))
                --n;
            appendUnits(body_, units.substr(0, n), compressed);
            units.remove_prefix(n);
            if (units.empty())
                return;
            flush();
            AppendU8(body_, compressed ? 0 : kUtf16Option);
        }
    }

    // The SST and CONTINUE records, then EXTSST.
    std::string finish() {
        flush();
        std::string extSst;
        AppendU16(extSst, static_cast<std::uint16_t>(perBucket_));
        extSst.append(buckets_);
        appendRecord(records_, kExtSst, extSst);
        return std::move(records_);
    }

private:
    std::size_t room() const { return kMaxRecordBody - body_.size(); }

    void flush() {
        appendRecord(records_, recordId_, body_);
        body_.clear();
        recordId_ = kContinue;
    }

    // EXTSST points at every perBucket_-th string: its stream offset and its
    // offset inside the record that holds it, header counted.
    void markBucket() {
        const std::size_t inRecord = 4 + body_.size();
        AppendU32(buckets_, static_cast<std::uint32_t>(streamOffset_ + records_.size() + inRecord));
        AppendU16(buckets_, static_cast<std::uint16_t>(inRecord));
        AppendU16(buckets_, 0);
    }

    std::size_t streamOffset_;
    std::uint32_t perBucket_;
    std::uint32_t count_ = 0;
    std::uint16_t recordId_ = kSst;
    std::string body_;
    std::string records_;
    std::string buckets_;
};

std::string bof(std::uint16_t substream) {
    std::string body;
    AppendU16(body, 0x0600);
    AppendU16(body, substream);
    AppendU16(body, 0x0DBB);
    AppendU16(body, 0x07CC);
    AppendU32(body, 0);
    AppendU32(body, 6);
    return body;
}

void appendWorkbookFormats(std::string& out) {
    std::string body;
    AppendU16(body, 1200); // strings are UTF-16
    appendRecord(out, kCodePage, body);

    body.clear();
    for (std::uint16_t value : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 600})
        AppendU16(body, value);
    appendRecord(out, kWindow1, body);

    // Excel expects at least five fonts (index 4 is never used) and fifteen style XFs.
    body.clear();
    for (std::uint16_t value : {200, 0, 0x7FFF, 400, 0})
        AppendU16(body, value);
    body.append(4, '\0');
    body.append("\x05\x00"
                "Arial",
                7);
    for (int i = 0; i < 5; ++i)
        appendRecord(out, kFont, body);

    for (int xf = 0; xf < 16; ++xf) {
        const bool cellXf = xf == 15;
        body.clear();
        AppendU16(body, 0);                           // font
        AppendU16(body, 0);                           // number format: General
        AppendU16(body, cellXf ? 0x0001 : 0xFFF5);    // locked; style XF or parent 0
        AppendU8(body, 0x20);                         // bottom aligned
        AppendU8(body, 0);                            // rotation
        AppendU8(body, 0);                            // indent
        AppendU8(body, xf == 0 || cellXf ? 0 : 0xF4); // attribute groups
        AppendU32(body, 0);
        AppendU32(body, 0);
        AppendU16(body, 0x20C0);
        appendRecord(out, kXf, body);
    }

    body.clear();
    AppendU16(body, 0x8000); // built-in, XF 0
    AppendU8(body, 0);       // Normal
    AppendU8(body, 0xFF);
    appendRecord(out, kStyle, body);
}

std::string boundSheet(std::u16string_view name) {
    std::string body;
    AppendU32(body, 0); // fixed up once the globals' length is known
    AppendU8(body, 0);  // visible
    AppendU8(body, 0);  // worksheet
    const bool compressed = fitsCompressed(name);
    AppendU8(body, static_cast<std::uint8_t>(name.size()));
    AppendU8(body, compressed ? 0 : kUtf16Option);
    appendUnits(body, name, compressed);
    return body;
}

// Every non-empty cell refers to one entry of the table of unique texts.
struct CellTable {
    std::vector<std::string_view> unique;
    std::vector<std::uint32_t> cellString; // row-major, non-empty cells only
    std::uint32_t usedRows = 0;            // last used row + 1
    std::uint16_t usedColumns = 0;         // last used column + 1
};

CellTable indexCells(const std::vector<std::vector<Text>>& rows) {
    CellTable table;
    std::unordered_map<std::string_view, std::uint32_t> indexOf;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::string_view cell = rows[r][c];
            if (cell.empty())
                continue;
            const auto [it, added] =
                indexOf.try_emplace(cell, static_cast<std::uint32_t>(table.unique.size()));
            if (added)
                table.unique.push_back(cell);
            table.cellString.push_back(it->second);
            table.usedRows = static_cast<std::uint32_t>(r + 1);
            table.usedColumns = std::max(table.usedColumns, static_cast<std::uint16_t>(c + 1));
        }
    }
    return table;
}

std::string worksheet(const std::vector<std::vector<Text>>& rows, const CellTable& table) {
    std::string out;
    out.reserve(64 + table.cellString.size() * 14);
    appendRecord(out, kBof, bof(0x0010));

    std::string body;
    AppendU32(body, 0);
    AppendU32(body, table.usedRows);
    AppendU16(body, 0);
    AppendU16(body, table.usedColumns);
    AppendU16(body, 0);
    appendRecord(out, kDimensions, body);

    std::size_t next = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].empty())
                continue;
            AppendU16(out, kLabelSst);
            AppendU16(out, 10);
            AppendU16(out, static_cast<std::uint16_t>(r));
            AppendU16(out, static_cast<std::uint16_t>(c));
            AppendU16(out, kCellXf);
            AppendU32(out, table.cellString[next++]);
        }
    }

    body.clear();
    for (std::uint16_t value : {0x06B6, 0, 0, 64, 0, 0, 0})
        AppendU16(body, value);
    AppendU32(body, 0);
    appendRecord(out, kWindow2, body);
    appendRecord(out, kEof, {});
    return out;
}

WriteResult checkShape(const std::vector<std::vector<Text>>& rows) {
    if (rows.size() > XlsLimits::kRows)
        return WriteResult::failure("a worksheet holds at most 65,536 rows");
    for (const auto& row : rows) {
        if (row.size() > XlsLimits::kColumns)
            return WriteResult::failure("a worksheet holds at most 256 columns");
    }
    return WriteResult::success();
}

} // namespace

XlsOutcome WriteXlsWorkbook(const Text& sheetName, const std::vector<std::vector<Text>>& rows,
                            ByteSink& out) {
    XlsOutcome outcome;
    if (outcome.result = checkShape(rows); !outcome.result)
        return outcome;
    Utf16Converter converter;
    if (!converter.valid()) {
        outcome.result = WriteResult::failure("no conversion from code page 936 to UTF-16");
        return outcome;
    }
    const std::u16string name = converter.convert(sheetName);
    if (!isValidSheetName(name)) {
        outcome.result = WriteResult::failure("the format does not accept this sheet name");
        return outcome;
    }

    const CellTable table = indexCells(rows);
    std::string stream;
    appendRecord(stream, kBof, bof(0x0005));
    appendWorkbookFormats(stream);
    const std::size_t boundSheetAt = stream.size();
    appendRecord(stream, kBoundSheet, boundSheet(name));

    SharedStrings strings(stream.size(), static_cast<std::uint32_t>(table.cellString.size()),
                          static_cast<std::uint32_t>(table.unique.size()));
    for (std::string_view text : table.unique) {
        std::u16string units = converter.convert(text);
        if (units.empty())
            units.push_back(u'?'); // the table must not hold an empty string
        if (cutToCellLimit(units))
            ++outcome.cutTexts;
        strings.add(units);
    }
    stream.append(strings.finish());
    appendRecord(stream, kEof, {});
    PutU32At(stream, boundSheetAt + 4, static_cast<std::uint32_t>(stream.size()));
    stream.append(worksheet(rows, table));

    if (!WriteCompoundFile(stream, out))
        outcome.result = WriteResult::failure("the workbook could not be written");
    return outcome;
}

} // namespace tolvane
