#pragma once

// A module in the earlier Jet format, read with libmdb. The library parses the whole file and
// may crash or loop on a damaged one: only the module tool reads with it, and the game and the
// editor run the tool as a child process with limits.

#include <memory>
#include <string>
#include <vector>

#include "authoring/conversion.h"
#include "modules/earlier_format.h"

namespace vexlor::legacy {

class JetModule final : public authoring::ModuleSource {
  public:
    /// Opens a Jet 3 or Jet 4 database protected with the module password. Another password,
    /// or a file that is no Jet database, is kNotAModule; a later format is refused as such.
    static Result<std::unique_ptr<JetModule>> open(const std::string& path);
    ~JetModule() override;
    JetModule(const JetModule&) = delete;
    JetModule& operator=(const JetModule&) = delete;

    const modules::JetHeader& header() const { return header_; }

    Status readRows(const modules::TableFormat& table,
                    const std::function<Status(std::span<const authoring::Cell>)>& row) override;

  private:
    struct Handle;
    JetModule(std::string path, modules::JetHeader header, std::unique_ptr<Handle> handle);
    /// The stored name of a table, found whatever its letter case, or empty.
    std::string storedName(std::string_view table) const;

    std::string path_;
    modules::JetHeader header_;
    std::unique_ptr<Handle> handle_;
    std::vector<std::string> tables_;  ///< names of the user tables, copied from the catalog
};

}  // namespace vexlor::legacy
