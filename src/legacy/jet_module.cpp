#include "legacy/jet_module.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "modules/module_database.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::legacy {

namespace {

constexpr std::size_t kMaxText = modules::kMaxTextBytes;
// A converted text is cut at the library's buffer size: the largest buffer is larger than any
// text a module may hold, so a text that fills it is known to be too long, never taken cut.
constexpr std::size_t kBufferBytes = kMaxText + 8;
constexpr unsigned kMaxColumns = 256;
constexpr int kDeletedRow = 0x8000;
// A memo's length; the bits above it tell where its text is kept.
constexpr std::size_t kMemoLength = 0x3fffffff;

// Jet names tables and columns without regard to letter case.
bool sameName(std::string_view a, std::string_view b) {
    return text::equalsIgnoringCase(a, b);
}

Error notAModule(const std::string& why, const std::string& path) {
    return Error(ErrorKind::kNotAModule, why, path);
}

// libmdb gives texts in the character set named by its environment; modules' texts become UTF-8.
// A Jet 3 file's texts are in the code page of its header.
void chooseCharacterSets(const modules::JetHeader& header) {
    ::setenv("MDBICONV", "UTF-8", 1);
    const bool windows = header.codePage >= 1250 && header.codePage <= 1258;
    ::setenv("MDB_JET3_CHARSET",
             windows ? ("CP" + std::to_string(header.codePage)).c_str() : "CP1252", 1);
}

struct TableCloser {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

// Whether the catalog's own table (always on page 2) has the page map the library walks it by:
// the library reads it without looking.
bool catalogReadable(MdbHandle* mdb) {
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = 2;
    std::strncpy(entry.object_name, "MSysObjects", sizeof entry.object_name - 1);
    std::unique_ptr<MdbTableDef, TableCloser> catalog(mdb_read_table(&entry));
    return catalog && catalog->usage_map && catalog->map_sz > 0;
}

struct TextFree {
    void operator()(char* text) const { g_free(text); }
};

// Why a field cannot be converted, said of the field (%1) by readRows; %2 is the most a field
// holds, in MiB.
constexpr const char* kFieldDamaged = VX_N("%1 is damaged");
constexpr const char* kFieldCut = VX_N("%1 could not be read whole: the file is damaged");
constexpr const char* kFieldTooLong = VX_N(
    "%1 is longer than the %2 MiB a module's field holds; nothing is cut, so it is not converted");

// The value of a field that is not NULL, as UTF-8 text. The library converts into a buffer of
// its bind size, made for every value: it is sized to what this value can give (three bytes for
// each stored one), not to the largest text a module may hold. A text the library gives shorter
// than its stored bytes allow (it gives what it could read of a damaged long text, and nothing
// of one over 16 MiB) is refused, as is one longer than a module holds: nothing is cut.
Result<std::string> textOf(MdbHandle* mdb, MdbColumn& column, const MdbField& field, int version) {
    const bool memo = column.col_type == MDB_MEMO;
    const bool text = memo || column.col_type == MDB_TEXT;
    std::size_t stored = static_cast<std::size_t>(std::max(field.siz, 0));
    if (memo) {
        if (field.siz < static_cast<int>(MDB_MEMO_OVERHEAD))
            return Error(ErrorKind::kDamaged, kFieldDamaged);
        stored = static_cast<std::size_t>(mdb_get_int32(mdb->pg_buf, field.start)) & kMemoLength;
    }
    if (text && stored > kMaxText * (version == 3 ? 1 : 2)) return Error(kFieldTooLong);
    if (stored == 0 && !memo) return std::string();
    mdb_set_bind_size(mdb, std::min(3 * stored + 16, kBufferBytes));
    const std::unique_ptr<char, TextFree> value(
        mdb_col_to_string(mdb, mdb->pg_buf, field.start, column.col_type, field.siz));
    if (!value) return std::string();
    const std::size_t length = std::strlen(value.get());
    // Jet 3 keeps a byte for each character; Jet 4 two, or one in its compressed form, which
    // also spends a byte on each switch between the forms.
    const std::size_t least = version == 3 ? stored : (stored >= 2 ? (stored - 2) / 3 : 0);
    if (text && length < least) return Error(ErrorKind::kDamaged, kFieldCut);
    if (length > kMaxText) return Error(kFieldTooLong);
    return std::string(value.get(), length);
}

}  // namespace

struct JetModule::Handle {
    MdbHandle* mdb = nullptr;
    ~Handle() {
        if (mdb) mdb_close(mdb);
    }
};

JetModule::JetModule(std::string path, modules::JetHeader header, std::unique_ptr<Handle> handle)
    : path_(std::move(path)), header_(header), handle_(std::move(handle)) {}

JetModule::~JetModule() = default;

Result<std::unique_ptr<JetModule>> JetModule::open(const std::string& path) {
    if (Status reachable = modules::checkReachable(path); !reachable)
        return reachable.error().about(path);
    const auto header = modules::readJetHeader(path);
    if (!header)
        return notAModule(i18n::tx("is not a module in the earlier format (no Jet database)"),
                          path);
    if (header->version == 0)
        // TRANSLATORS: %1 describes the database format ("a later database format (ACE)...").
        return notAModule(
            i18n::fill(i18n::tx("is in %1, not a module"), {modules::jetVersionName(*header)}),
            path);
    if (!header->modulePassword)
        return notAModule(
            i18n::tx("is a Jet database without the module password, so not a module"), path);

    chooseCharacterSets(*header);
    auto handle = std::make_unique<Handle>();
    handle->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!handle->mdb) return notAModule(i18n::tx("cannot be read as a Jet database"), path);
    mdb_set_date_fmt(handle->mdb, "%b/%d/%Y");

    std::unique_ptr<JetModule> module(new JetModule(path, *header, std::move(handle)));
    MdbHandle* mdb = module->handle_->mdb;
    if (!catalogReadable(mdb))
        return Error(ErrorKind::kDamaged, i18n::tx("the page map of its list of tables is damaged"),
                     path);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return Error(ErrorKind::kDamaged, i18n::tx("its list of tables cannot be read"), path);
    // Reading a table reads the catalog again and frees the entries: their names are copied
    // first.
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            module->tables_.emplace_back(entry->object_name);
    }
    return module;
}

std::string JetModule::storedName(std::string_view table) const {
    for (const std::string& name : tables_)
        if (sameName(name, table)) return name;
    return {};
}

Status JetModule::readRows(const modules::TableFormat& format,
                           const std::function<Status(std::span<const authoring::Cell>)>& row) {
    const std::string tableName(format.name);
    std::string name = storedName(tableName);
    if (name.empty())
        return Error(format.name == modules::kPropertiesTable.name ? ErrorKind::kNotAModule
                                                                   : ErrorKind::kFailed,
                     i18n::fill(i18n::tx("has no table %1"), {tableName}), path_);
    MdbHandle* mdb = handle_->mdb;
    std::unique_ptr<MdbTableDef, TableCloser> table(
        mdb_read_table_by_name(mdb, name.data(), MDB_TABLE));
    if (!table || !mdb_read_columns(table.get()))
        return Error(ErrorKind::kDamaged,
                     i18n::fill(i18n::tx("the table %1 cannot be read"), {tableName}), path_);
    // The library walks the table's pages by its page map without looking whether it read one.
    if (!table->usage_map || table->map_sz == 0)
        return Error(ErrorKind::kDamaged,
                     i18n::fill(i18n::tx("the page map of the table %1 is damaged"), {tableName}),
                     path_);
    if (table->num_cols > kMaxColumns)
        return Error(ErrorKind::kDamaged,
                     i18n::fill(i18n::tx("the table %1 has too many columns"), {tableName}), path_);

    // Where each of the module's columns is among the table's.
    std::vector<int> columnOf;
    for (std::string_view wanted : format.columns) {
        int found = -1;
        for (unsigned i = 0; i < table->num_cols; ++i) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
            if (sameName(column->name, wanted)) found = static_cast<int>(i);
        }
        if (found < 0)
            return Error(format.name == modules::kPropertiesTable.name ? ErrorKind::kNotAModule
                                                                       : ErrorKind::kFailed,
                         i18n::fill(i18n::tx("the table %1 has no column %2"), {tableName, wanted}),
                         path_);
        columnOf.push_back(found);
    }

    mdb_rewind_table(table.get());
    std::vector<MdbField> fields(kMaxColumns);
    std::vector<authoring::Cell> cells(format.columns.size());
    std::int64_t number = 0;
    while (mdb_fetch_row(table.get())) {
        ++number;
        // The row just read lies on the page in the handle's buffer; cracking it again tells a
        // NULL (no value) from an empty text, which the converted texts cannot.
        const int onPage = static_cast<int>(table->cur_row) - 1;
        int start = 0;
        size_t size = 0;
        if (onPage < 0 || mdb_find_row(mdb, onPage, &start, &size) != 0)
            return Error(ErrorKind::kDamaged,
                         i18n::fill(i18n::tx("row %1 of %2 cannot be read"),
                                    {std::to_string(number), tableName}),
                         path_);
        // A deleted row is marked in its entry of the page's row table; the library skips only
        // rows that also carry the mark of a moved row.
        if (mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset + 2 + 2 * onPage) & kDeletedRow) {
            --number;
            continue;
        }
        const int count = mdb_crack_row(table.get(), start, size, fields.data());
        if (count < static_cast<int>(table->num_cols))
            return Error(ErrorKind::kDamaged,
                         i18n::fill(i18n::tx("row %1 of %2 is damaged"),
                                    {std::to_string(number), tableName}),
                         path_);
        for (std::size_t i = 0; i < columnOf.size(); ++i) {
            const MdbField& field = fields[static_cast<std::size_t>(columnOf[i])];
            auto* column = static_cast<MdbColumn*>(
                g_ptr_array_index(table->columns, static_cast<unsigned>(columnOf[i])));
            if (field.is_null) {
                cells[i].reset();
                continue;
            }
            auto text = textOf(mdb, *column, field, header_.version);
            if (!text) {
                // TRANSLATORS: a field of an old module: %1 its column, %2 its row's number, %3
                // its table ("the Question of row 3 of MainData").
                const std::string where =
                    i18n::fill(i18n::tx("the %1 of row %2 of %3"),
                               {format.columns[i], std::to_string(number), tableName});
                return Error(text.error().kind(),
                             i18n::fill(i18n::tx(text.error().message().c_str()),
                                        {where, std::to_string(kMaxText / (1024 * 1024))}),
                             path_);
            }
            cells[i] = std::move(*text);
        }
        if (Status taken = row(cells); !taken) return taken;
    }
    return Status::success();
}

}  // namespace vexlor::legacy
