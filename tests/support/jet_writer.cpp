#include "support/jet_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace vexlor::testing::jet {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::invalid_argument(what);
}

void put16(char* at, std::uint32_t value) {
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>((value >> 8) & 0xFF);
}

void put32(char* at, std::uint32_t value) {
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
}

void append8(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
}

void append16(std::string& out, std::uint32_t value) {
    append8(out, value);
    append8(out, value >> 8);
}

void append32(std::string& out, std::uint32_t value) {
    append16(out, value & 0xFFFF);
    append16(out, value >> 16);
}

// Page geometry, the one thing besides text and row layout that differs between the versions.
struct Layout {
    bool jet4 = true;
    std::size_t pageSize = 4096;
    std::size_t rowCountAt = 12;  // in data pages; the row offsets follow it

    explicit Layout(Version version)
        : jet4(version == Version::kJet4),
          pageSize(jet4 ? 4096 : 2048),
          rowCountAt(jet4 ? 12 : 8) {}
    std::size_t rowsAt() const { return rowCountAt + 2; }
    std::size_t maxRow() const { return pageSize - rowsAt() - 2; }
    // Bytes of bitmap in an inline usage map, as the engine sizes them.
    std::size_t inlineMapBytes() const { return jet4 ? 64 : 128; }
};

// ---- Texts -------------------------------------------------------------------------------

// Strict UTF-8 to code points; the fixture refuses what it could not give back unchanged.
void decodeUtf8(std::string_view text, std::u32string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80         ? 1
                     : (lead >> 5) == 6  ? 2
                     : (lead >> 4) == 14 ? 3
                     : (lead >> 3) == 30 ? 4
                                         : 0;
        if (length == 0 || i + length > text.size()) fail("invalid UTF-8");
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) fail("invalid UTF-8");
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kShortest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            fail("invalid UTF-8");
        out += point;
        i += length;
    }
}

// Windows-1252's characters in 0x80-0x9F; the five unassigned bytes have none.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char toCp1252(char32_t point) {
    if (point < 0x80 || (point >= 0xA0 && point <= 0xFF)) return static_cast<char>(point);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == point) return static_cast<char>(0x80 + i);
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(point));
    fail(std::string(name) + " is not in Windows-1252");
}

// Jet 4's one-byte form: starts one byte a character, a zero byte switches between that and
// two bytes a character. Unusable when a character's low byte is zero (it would read as a switch).
bool compressUcs2(const std::u32string& points, std::string& out) {
    for (char32_t point : points)
        if ((point & 0xFF) == 0) return false;
    out.assign("\xFF\xFE");
    bool oneByte = true;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool low = points[i] < 0x100;
        if (oneByte && !low) {
            out += '\0';
            oneByte = false;
        } else if (!oneByte && low) {
            // Switching back costs a byte, and another when two-byte characters follow.
            std::size_t run = 0;
            while (i + run < points.size() && points[i + run] < 0x100) ++run;
            const bool atEnd = i + run == points.size();
            if (run >= 3 || (atEnd && run >= 2)) {
                out += '\0';
                oneByte = true;
            }
        }
        if (oneByte) {
            append8(out, points[i]);
        } else {
            append16(out, points[i]);
        }
    }
    return out.size() < points.size() * 2;
}

class TextEncoder {
  public:
    TextEncoder(const Layout& layout, bool compress) : layout_(layout), compress_(compress) {}

    // `text` as the file stores it, into `out`; the number of characters stored.
    std::size_t encode(std::string_view text, bool mayCompress, std::string& out) {
        decodeUtf8(text, points_);
        out.clear();
        if (!layout_.jet4) {
            for (char32_t point : points_) out += toCp1252(point);
            return points_.size();
        }
        for (char32_t point : points_)
            if (point > 0xFFFF) fail("a character beyond U+FFFF cannot be stored in UCS-2");
        if (compress_ && mayCompress && !points_.empty() && compressUcs2(points_, out))
            return points_.size();
        out.clear();
        for (char32_t point : points_) append16(out, point);
        return points_.size();
    }

  private:
    const Layout& layout_;
    bool compress_;
    std::u32string points_;
};

// ---- Pages -------------------------------------------------------------------------------

class File {
  public:
    explicit File(std::size_t pageSize) : pageSize_(pageSize) {}
    std::uint32_t addPage() {
        bytes_.resize(bytes_.size() + pageSize_, '\0');
        return static_cast<std::uint32_t>(bytes_.size() / pageSize_ - 1);
    }
    std::uint32_t pageCount() const {
        return static_cast<std::uint32_t>(bytes_.size() / pageSize_);
    }
    char* page(std::uint32_t number) { return bytes_.data() + number * pageSize_; }
    void reserve(std::size_t bytes) { bytes_.reserve(bytes); }
    std::string take() { return std::move(bytes_); }

  private:
    std::size_t pageSize_;
    std::string bytes_;
};

constexpr std::uint32_t kLvalMark = 0x4C41564C;  // "LVAL" as the owner of long-value pages

// A page of rows: data rows, long-value pieces or usage maps. Rows fill it from the end, their
// offsets follow the header.
class RowPage {
  public:
    RowPage(File& file, const Layout& layout) : file_(file), layout_(layout) {}

    void start(std::uint32_t owner) {
        number_ = file_.addPage();
        count_ = 0;
        top_ = layout_.pageSize;
        char* page = file_.page(number_);
        page[0] = 0x01;
        page[1] = 0x01;
        put32(page + 4, owner);
        open_ = true;
        update();
    }
    // Room for one more row of `size` bytes.
    bool fits(std::size_t size) const {
        return open_ && count_ < 255 && layout_.rowsAt() + 2 * (count_ + 1) + size <= top_;
    }
    std::size_t room() const {
        const std::size_t used = layout_.rowsAt() + 2 * (count_ + 1);
        return open_ && count_ < 255 && used < top_ ? top_ - used : 0;
    }
    // The row's pointer: page number and row number.
    std::uint32_t add(std::string_view row, std::uint32_t flags = 0) {
        top_ -= row.size();
        char* page = file_.page(number_);
        std::memcpy(page + top_, row.data(), row.size());
        put16(page + layout_.rowsAt() + 2 * count_, top_ | flags);
        ++count_;
        update();
        return number_ << 8 | (count_ - 1);
    }
    std::uint32_t number() const { return number_; }

  private:
    void update() {
        char* page = file_.page(number_);
        put16(page + 2, top_ - (layout_.rowsAt() + 2 * count_));
        put16(page + layout_.rowCountAt, count_);
    }

    File& file_;
    const Layout& layout_;
    std::uint32_t number_ = 0;
    std::uint32_t count_ = 0;
    std::size_t top_ = 0;
    bool open_ = false;
};

// Long values too big for their row: a chain of pieces, each with the pointer to the next.
class LongValues {
  public:
    LongValues(File& file, const Layout& layout)
        : file_(file), layout_(layout), page_(file, layout) {}

    std::uint32_t store(std::string_view data) {
        static constexpr std::size_t kLeast = 64;  // a smaller end of a page is left unused
        std::uint32_t first = 0;
        bool firstPiece = true;
        while (firstPiece || !data.empty()) {
            if (page_.room() < 4 + std::min(data.size(), kLeast)) page_.start(kLvalMark);
            std::size_t take = std::min(data.size(), page_.room() - 4);
            // UCS-2 pieces keep whole characters.
            if (layout_.jet4 && take < data.size()) take &= ~std::size_t{1};
            const bool last = take == data.size();
            // A piece that is not the last fills its page: the next one starts a page.
            piece_.clear();
            append32(piece_, last ? 0 : file_.pageCount() << 8);
            piece_.append(data.substr(0, take));
            const std::uint32_t pointer = page_.add(piece_);
            if (firstPiece) first = pointer;
            firstPiece = false;
            data.remove_prefix(take);
        }
        return first;
    }

  private:
    File& file_;
    const Layout& layout_;
    RowPage page_;
    std::string piece_;
};

// ---- Tables ------------------------------------------------------------------------------

enum TypeCode : std::uint8_t {
    kLongCode = 0x04,
    kDoubleCode = 0x07,
    kTextCode = 0x0A,
    kOleCode = 0x0B,
    kMemoCode = 0x0C,
};

struct ColumnDef {
    std::string name;
    TypeCode code = kTextCode;
    bool fixed() const { return code == kLongCode || code == kDoubleCode; }
    bool text() const { return code == kTextCode || code == kMemoCode; }
};

TypeCode codeOf(ColumnType type) {
    switch (type) {
        case ColumnType::kText:
            return kTextCode;
        case ColumnType::kMemo:
            return kMemoCode;
        case ColumnType::kLong:
            return kLongCode;
        case ColumnType::kDouble:
            return kDoubleCode;
    }
    fail("unknown column type");
}

struct TableDef {
    std::string name;
    std::vector<ColumnDef> columns;
    const std::vector<Row>* rows = nullptr;
    bool system = false;
    std::uint32_t definitionPage = 0;
    std::vector<std::uint32_t> dataPages;
    std::uint32_t liveRows = 0;
};

// Where each column sits in a row: fixed ones at an offset, variable ones by their number.
struct Shape {
    explicit Shape(const std::vector<ColumnDef>& columns) {
        for (const ColumnDef& column : columns) {
            fixedAt.push_back(column.fixed() ? fixedSize : 0);
            varIndex.push_back(column.fixed() ? 0 : varCount);
            if (column.fixed()) {
                fixedSize += column.code == kLongCode ? 4 : 8;
            } else {
                ++varCount;
            }
        }
    }
    std::vector<std::size_t> fixedAt;
    std::vector<std::size_t> varIndex;
    std::size_t fixedSize = 0;
    std::size_t varCount = 0;
};

// Builds one table's rows in the file's layout.
class RowBuilder {
  public:
    RowBuilder(const TableDef& table, const Layout& layout, TextEncoder& text, LongValues& longs)
        : table_(table), shape_(table.columns), layout_(layout), text_(text), longs_(longs) {
        values_.resize(shape_.varCount);
        inline_.resize(shape_.varCount);
        present_.resize(table.columns.size());
    }

    const std::string& build(const Row& row, std::size_t rowNumber) {
        const auto& columns = table_.columns;
        auto where = [&](std::size_t column) {
            return "table " + table_.name + ", row " + std::to_string(rowNumber + 1) + ", column " +
                   columns[column].name;
        };
        if (row.cells.size() != columns.size())
            fail("table " + table_.name + ", row " + std::to_string(rowNumber + 1) + ": " +
                 std::to_string(row.cells.size()) + " cells for " + std::to_string(columns.size()) +
                 " columns");
        fixed_.assign(fixedSize_, '\0');
        for (std::size_t c = 0; c < columns.size(); ++c) {
            try {
                encodeCell(row.cells[c], c);
            } catch (const std::invalid_argument& error) {
                fail(where(c) + ": " + error.what());
            }
        }
        // Long values stay in the row while it fits a page; the largest go out first.
        for (;;) {
            if (rowSize() <= layout_.maxRow()) break;
            std::size_t largest = varCount_;
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const std::size_t v = varIndex_[c];
                if (isLong(c) && present_[c] && inline_[v] &&
                    (largest == varCount_ || values_[v].size() > values_[largest].size()))
                    largest = v;
            }
            if (largest == varCount_)
                fail("table " + table_.name + ", row " + std::to_string(rowNumber + 1) +
                     ": the row does not fit a page");
            inline_[largest] = false;
        }
        assemble();
        return row_;
    }

  private:
    void encodeCell(const Cell& cell, std::size_t c) {
        const ColumnDef& column = table_.columns[c];
        present_[c] = cell.has_value();
        if (column.fixed()) {
            if (cell) putNumber(column, *cell, fixed_.data() + fixedAt_[c]);
            return;
        }
        std::string& value = values_[varIndex_[c]];
        value.clear();
        inline_[varIndex_[c]] = true;
        if (!cell) return;
        if (column.code == kTextCode) {
            if (text_.encode(*cell, true, value) > 255)
                fail("more than 255 characters in a text column");
        } else if (column.code == kMemoCode) {
            // Only short memos may take the one-byte form.
            const bool mayCompress = cell->size() <= 1024 || countPoints(*cell) <= 1024;
            text_.encode(*cell, mayCompress, value);
        } else {
            value = *cell;  // long binary, stored as given
        }
    }

    static std::size_t countPoints(std::string_view text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    }

    static void putNumber(const ColumnDef& column, const std::string& text, char* at) {
        const char* end = text.data() + text.size();
        if (column.code == kLongCode) {
            std::int32_t value = 0;
            auto [stop, error] = std::from_chars(text.data(), end, value);
            if (error != std::errc() || stop != end || text.empty())
                fail("\"" + text + "\" is not a 32-bit whole number");
            put32(at, static_cast<std::uint32_t>(value));
        } else {
            double value = 0;
            auto [stop, error] = std::from_chars(text.data(), end, value);
            if (error != std::errc() || stop != end || text.empty())
                fail("\"" + text + "\" is not a number");
            std::uint64_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            put32(at, static_cast<std::uint32_t>(bits));
            put32(at + 4, static_cast<std::uint32_t>(bits >> 32));
        }
    }

    bool isLong(std::size_t column) const {
        return table_.columns[column].code == kMemoCode || table_.columns[column].code == kOleCode;
    }

    std::size_t valueSize(std::size_t column) const {
        const std::size_t v = varIndex_[column];
        if (!present_[column]) return 0;
        if (!isLong(column)) return values_[v].size();
        return 12 + (inline_[v] ? values_[v].size() : 0);
    }

    std::size_t nullMaskSize() const { return (table_.columns.size() + 7) / 8; }

    // Jet 3 offsets are single bytes: a jump table counts the 256-byte steps, one entry for
    // every whole step the row's size takes.
    std::size_t jumpCount(std::size_t sizeWithoutJumps) const {
        std::size_t jumps = 0;
        while ((sizeWithoutJumps + jumps - 1) / 256 > jumps) ++jumps;
        return jumps;
    }

    std::size_t rowSize() const {
        std::size_t size = (layout_.jet4 ? 2 : 1) + fixedSize_ + nullMaskSize();
        if (varCount_ == 0) return size;
        for (std::size_t c = 0; c < table_.columns.size(); ++c)
            if (!table_.columns[c].fixed()) size += valueSize(c);
        if (layout_.jet4) return size + 2 * (varCount_ + 2);
        size += varCount_ + 2;
        return size + jumpCount(size);
    }

    void assemble() {
        const auto& columns = table_.columns;
        row_.clear();
        if (layout_.jet4) {
            append16(row_, columns.size());
        } else {
            append8(row_, columns.size());
        }
        row_ += fixed_;
        offsets_.assign(varCount_ + 1, 0);
        if (varCount_ > 0) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (columns[c].fixed()) continue;
                const std::size_t v = varIndex_[c];
                offsets_[v] = row_.size();
                if (!present_[c]) continue;
                if (!isLong(c)) {
                    row_ += values_[v];
                    continue;
                }
                const std::string& value = values_[v];
                const std::uint32_t pointer = inline_[v] ? 0 : longs_.store(value);
                append16(row_, value.size() & 0xFFFF);
                append8(row_, value.size() >> 16);
                append8(row_, inline_[v] ? 0x80 : 0x00);
                append32(row_, pointer);
                append32(row_, 0);
                if (inline_[v]) row_ += value;
            }
            offsets_[varCount_] = row_.size();  // the end of the data
            if (layout_.jet4) {
                for (std::size_t v = varCount_ + 1; v-- > 0;) append16(row_, offsets_[v]);
                append16(row_, varCount_);
            } else {
                for (std::size_t v = varCount_ + 1; v-- > 0;) append8(row_, offsets_[v]);
                const std::size_t jumps = jumpCount(row_.size() + 1 + nullMaskSize());
                for (std::size_t j = jumps; j-- > 0;) {
                    std::size_t first = 0;
                    while (first <= varCount_ && offsets_[first] < 256 * (j + 1)) ++first;
                    append8(row_, first <= varCount_ ? first : 0xFF);
                }
                append8(row_, varCount_);
            }
        }
        const std::size_t maskAt = row_.size();
        row_.append(nullMaskSize(), '\0');
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (present_[c])
                row_[maskAt + c / 8] = static_cast<char>(row_[maskAt + c / 8] | (1 << (c % 8)));
    }

    const TableDef& table_;
    const Shape shape_;
    const std::vector<std::size_t>& fixedAt_ = shape_.fixedAt;
    const std::vector<std::size_t>& varIndex_ = shape_.varIndex;
    const std::size_t fixedSize_ = shape_.fixedSize;
    const std::size_t varCount_ = shape_.varCount;
    const Layout& layout_;
    TextEncoder& text_;
    LongValues& longs_;
    // Per row, kept to reuse their memory.
    std::string fixed_;
    std::vector<std::string> values_;
    std::vector<bool> inline_;
    std::vector<bool> present_;
    std::vector<std::size_t> offsets_;
    std::string row_;
};

void writeRows(TableDef& table, File& file, const Layout& layout, TextEncoder& text,
               LongValues& longs, std::uint32_t deletedFlags) {
    RowBuilder builder(table, layout, text, longs);
    RowPage page(file, layout);
    for (std::size_t r = 0; r < table.rows->size(); ++r) {
        const Row& row = (*table.rows)[r];
        const std::string& bytes = builder.build(row, r);
        if (!page.fits(bytes.size())) {
            page.start(table.definitionPage);
            table.dataPages.push_back(page.number());
        }
        page.add(bytes, row.deleted ? deletedFlags : 0);
        if (!row.deleted) ++table.liveRows;
    }
}

// The pages a table owns: a bitmap in the row when they lie close together, else a list of
// map pages, each a bitmap of its share of the file.
std::string usageMap(const std::vector<std::uint32_t>& pages, File& file, const Layout& layout) {
    std::string map;
    const std::size_t bits = layout.inlineMapBytes() * 8;
    if (pages.empty() || pages.back() - pages.front() < bits) {
        const std::uint32_t start = pages.empty() ? 0 : pages.front();
        append8(map, 0);
        append32(map, start);
        map.append(layout.inlineMapBytes(), '\0');
        for (std::uint32_t page : pages)
            map[5 + (page - start) / 8] |= static_cast<char>(1 << ((page - start) % 8));
        return map;
    }
    const std::size_t perPage = (layout.pageSize - 4) * 8;
    append8(map, 1);
    std::uint32_t mapPage = 0;
    std::size_t span = 0;
    for (std::uint32_t page : pages) {
        while (page / perPage >= span) {
            append32(map, 0);
            ++span;
            mapPage = 0;
        }
        if (mapPage == 0) {
            mapPage = file.addPage();
            char* header = file.page(mapPage);
            header[0] = 0x05;
            header[1] = 0x01;
            put32(map.data() + 1 + 4 * (span - 1), mapPage);
        }
        const std::size_t bit = page % perPage;
        file.page(mapPage)[4 + bit / 8] |= static_cast<char>(1 << (bit % 8));
    }
    return map;
}

// `text` encoded, or an error that says what it was.
std::size_t encodeOrSay(TextEncoder& text, const std::string& value, std::string& out,
                        const std::string& what) {
    try {
        return text.encode(value, false, out);
    } catch (const std::invalid_argument& error) {
        fail(what + ": " + error.what());
    }
}

std::string encodeName(const std::string& name, TextEncoder& text, const std::string& what) {
    std::string bytes;
    const std::size_t length = encodeOrSay(text, name, bytes, what);
    if (length == 0 || length > 64) fail(what + ": a name has 1 to 64 characters");
    return bytes;
}

void writeDefinition(const TableDef& table, std::uint32_t usedMap, std::uint32_t freeMap,
                     File& file, const Layout& layout, TextEncoder& text, bool compress) {
    const Shape shape(table.columns);
    std::string def(layout.jet4 ? 63 : 43, '\0');
    char* head = def.data();
    head[0] = 0x02;
    head[1] = 0x01;
    if (!layout.jet4) head[2] = 'V', head[3] = 'C';
    const std::size_t at = layout.jet4 ? 16 : 12;  // the row count; the rest follows it
    put32(head + at, table.liveRows);
    const std::size_t type = layout.jet4 ? 40 : 20;
    head[type] = static_cast<char>(table.system ? 0x53 : 0x4E);
    put16(head + type + 1, table.columns.size());
    put16(head + type + 3, shape.varCount);
    put16(head + type + 5, table.columns.size());
    put32(head + type + 15, usedMap);
    put32(head + type + 19, freeMap);
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const ColumnDef& column = table.columns[c];
        std::string entry(layout.jet4 ? 25 : 18, '\0');
        char* e = entry.data();
        const std::uint32_t length = column.code == kLongCode     ? 4
                                     : column.code == kDoubleCode ? 8
                                     : column.code == kTextCode   ? (layout.jet4 ? 510 : 255)
                                                                  : 0;
        const char flags = static_cast<char>((column.fixed() ? 0x01 : 0x00) | 0x02);
        e[0] = static_cast<char>(column.code);
        if (layout.jet4) {
            put16(e + 5, c);
            put16(e + 7, shape.varIndex[c]);
            put16(e + 9, c);
            if (column.text()) put16(e + 11, 0x409);  // general sort order
            e[15] = flags;
            e[16] = static_cast<char>(compress && column.text() ? 0x01 : 0x00);
            put16(e + 21, shape.fixedAt[c]);
            put16(e + 23, length);
        } else {
            put16(e + 1, c);
            put16(e + 3, shape.varIndex[c]);
            put16(e + 5, c);
            if (column.text()) {
                put16(e + 7, 0x409);
                put16(e + 9, 1252);
            }
            e[13] = flags;
            put16(e + 14, shape.fixedAt[c]);
            put16(e + 16, length);
        }
        def += entry;
    }
    for (const ColumnDef& column : table.columns) {
        const std::string name =
            encodeName(column.name, text, "table " + table.name + ", column " + column.name);
        if (layout.jet4) {
            append16(def, name.size());
        } else {
            append8(def, name.size());
        }
        def += name;
    }
    append16(def, 0xFFFF);  // no long-value usage entries
    if (def.size() > layout.pageSize)
        fail("table " + table.name + ": the definition does not fit a page");
    put32(def.data() + 8, def.size() - 8);
    if (layout.jet4) put16(def.data() + 2, layout.pageSize - def.size() - 8);
    std::memcpy(file.page(table.definitionPage), def.data(), def.size());
}

// ---- Header and page encoding --------------------------------------------------------------

void rc4(const std::uint8_t* key, std::size_t keyLength, char* data, std::size_t length) {
    std::array<std::uint8_t, 256> state{};
    for (std::size_t i = 0; i < 256; ++i) state[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % keyLength]) & 0xFF;
        std::swap(state[i], state[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + state[i]) & 0xFF;
        std::swap(state[i], state[j]);
        data[n] = static_cast<char>(data[n] ^ state[(state[i] + state[j]) & 0xFF]);
    }
}

void writeHeader(char* page, const Layout& layout, const Options& options, TextEncoder& text) {
    static constexpr char kMagic[] = "\x00\x01\x00\x00Standard Jet DB";
    std::memcpy(page, kMagic, sizeof kMagic);  // with its terminating zero
    page[0x14] = layout.jet4 ? 0x01 : 0x00;
    put16(page + 0x3C, options.codePage);
    put32(page + 0x3E, options.databaseKey);
    if (layout.jet4) {
        put32(page + 0x6E, 0x409);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &options.creationDate, sizeof bits);
        put32(page + 0x72, static_cast<std::uint32_t>(bits));
        put32(page + 0x76, static_cast<std::uint32_t>(bits >> 32));
    } else {
        put16(page + 0x3A, 0x409);
    }
    std::string password;
    if (encodeOrSay(text, options.password, password, "the password") > 20)
        fail("the password has more than 20 characters");
    std::memcpy(page + 0x42, password.data(), password.size());
    if (layout.jet4) {
        const auto days =
            static_cast<std::uint32_t>(static_cast<std::int32_t>(options.creationDate));
        for (std::size_t at = 0x42; at < 0x42 + 40; at += 4) {
            for (std::size_t k = 0; k < 4; ++k)
                page[at + k] = static_cast<char>(page[at + k] ^ ((days >> (8 * k)) & 0xFF));
        }
    }
    static constexpr std::uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(kHeaderKey, 4, page + 0x18, layout.jet4 ? 128 : 126);
}

}  // namespace

std::string writeJet(const std::vector<Table>& tables, const Options& options) {
    const Layout layout(options.version);
    TextEncoder text(layout, options.compressText);
    File file(layout.pageSize);
    std::size_t estimate = 0;
    for (const Table& table : tables) estimate += table.rows.size() * 48;
    file.reserve(estimate + estimate / 4 + 64 * layout.pageSize);

    file.addPage();  // 0: the header
    RowPage maps(file, layout);
    maps.start(0);                                     // 1: usage maps
    const std::uint32_t catalogPage = file.addPage();  // 2: the catalog's definition

    std::vector<TableDef> defs;
    defs.reserve(tables.size() + 1);
    std::vector<Row> catalogRows;
    defs.push_back({"MSysObjects",
                    {{"Id", kLongCode},
                     {"ParentId", kLongCode},
                     {"Name", kTextCode},
                     {"Type", kLongCode},
                     {"Flags", kLongCode},
                     {"LvProp", kOleCode}},
                    &catalogRows,
                    true,
                    catalogPage,
                    {},
                    0});
    for (const Table& table : tables) {
        TableDef def{table.name, {}, &table.rows, false, file.addPage(), {}, 0};
        for (const Column& column : table.columns)
            def.columns.push_back({column.name, codeOf(column.type)});
        if (def.columns.empty()) fail("table " + table.name + ": no columns");
        encodeName(table.name, text, "table " + table.name);
        for (std::size_t c = 0; c < def.columns.size(); ++c)
            for (std::size_t d = 0; d < c; ++d)
                if (def.columns[c].name == def.columns[d].name)
                    fail("table " + table.name + ": column " + def.columns[c].name +
                         " named twice");
        for (const TableDef& other : defs)
            if (other.name == def.name) fail("table " + table.name + ": named twice");
        defs.push_back(std::move(def));
    }
    // Tables are objects of type 1; system ones carry flags the readers skip them by.
    for (const TableDef& def : defs)
        catalogRows.push_back({{std::to_string(def.definitionPage), "0", def.name, "1",
                                def.system ? "-2147483646" : "0", std::nullopt}});

    LongValues longs(file, layout);
    const std::uint32_t deletedFlags = options.deletedBothBits ? 0xC000 : 0x8000;
    for (TableDef& def : defs) writeRows(def, file, layout, text, longs, deletedFlags);
    for (const TableDef& def : defs) {
        std::string used = usageMap(def.dataPages, file, layout);
        std::string free = usageMap({}, file, layout);
        if (!maps.fits(used.size() + free.size() + 2)) maps.start(0);
        const std::uint32_t usedAt = maps.add(used);
        const std::uint32_t freeAt = maps.add(free);
        writeDefinition(def, usedAt, freeAt, file, layout, text,
                        options.compressText && layout.jet4);
    }
    writeHeader(file.page(0), layout, options, text);

    if (options.databaseKey != 0) {
        for (std::uint32_t page = 1; page < file.pageCount(); ++page) {
            const std::uint32_t key = options.databaseKey ^ page;
            const std::uint8_t bytes[] = {
                static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 24)};
            rc4(bytes, 4, file.page(page), layout.pageSize);
        }
    }
    return file.take();
}

void writeJetFile(const std::string& path, const std::vector<Table>& tables,
                  const Options& options) {
    const std::string bytes = writeJet(tables, options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<Column> moduleColumns(const std::string& table) {
    if (table == "MainData")
        return {{"Question", ColumnType::kMemo},
                {"Reponce"},
                {"False1"},
                {"False2"},
                {"False3"},
                {"Points"},
                {"Audio"}};
    if (table == "Propriete") return {{"Title"}, {"Author"}, {"Company"}, {"Year"}};
    if (table == "Use") return {{"Use"}};
    if (table == "HScore") return {{"Nom"}, {"Date"}, {"Score"}};
    return {};
}

std::vector<Table> sampleModuleTables(int questions) {
    static const std::array<std::array<const char*, 5>, 5> kQuestions = {{
        {"Qu'est-ce qu'un élève ?", "Une personne qui apprend", "Un arbre", "Une île", "Un métier"},
        {"Où se trouve la tour Eiffel ?", "À Paris", "À Genève", "À Québec", "À Bruxelles"},
        {"Quelle est la capitale de l'Espagne ?", "Madrid", "Séville", "Málaga", "Cádiz"},
        {"Combien font 7 × 8 ?", "56", "54", "64", "48"},
        {"Qui a écrit « Les Misérables » ?", "Victor Hugo", "Émile Zola", "Molière",
         "Honoré de Balzac"},
    }};
    Table main{"MainData", moduleColumns("MainData"), {}};
    for (int q = 0; q < questions; ++q) {
        const auto& texts = kQuestions[static_cast<std::size_t>(q) % kQuestions.size()];
        std::string question = texts[0];
        if (q >= static_cast<int>(kQuestions.size()))
            question += " (" + std::to_string(q + 1) + ")";
        main.rows.push_back({{question, texts[1], texts[2], texts[3], texts[4],
                              std::to_string(100 * (q % 3 + 1)), ""}});
    }
    Table properties{"Propriete",
                     moduleColumns("Propriete"),
                     {{{"Jet Sample", "Zoë Lefèvre", "Vexlor Éditions", "1999"}}}};
    Table use{"Use", moduleColumns("Use"), {{{"2"}}}};
    static const std::array<const char*, 10> kNames = {"Zoë",   "José",   "Anaïs", "Loïc", "Søren",
                                                       "Chloé", "Jürgen", "Inès",  "Noël", "Björn"};
    Table scores{"HScore", moduleColumns("HScore"), {}};
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        char score[16];
        std::snprintf(score, sizeof score, "%05zu", 100 * (i + 1));
        scores.rows.push_back({{kNames[i], "Dec/0" + std::to_string(i % 9 + 1) + "/1999", score}});
    }
    return {main, properties, use, scores};
}

}  // namespace vexlor::testing::jet
