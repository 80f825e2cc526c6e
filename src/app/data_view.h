#pragma once

#include <memory>
#include <string>
#include <utility>

#include "modules/module_store.h"

namespace vexlor::app {

/// A data element of the main window (Data1 to Data4): the module file and the table it is bound
/// to, and the open store behind it, which the four share. It keeps no record and no cursor: the
/// game asks the store for what it needs, as typed values.
class DataView {
  public:
    explicit DataView(std::string name) : name_(std::move(name)) {}

    std::string Connect = "Access";  ///< ";pwd=<key>" once bound to a module
    int RecordsetType = 1;           ///< 1: an updatable view of the whole table
    std::string DatabaseName;        ///< full path of the module file
    std::string RecordSource;        ///< table name
    /// The module bound; null before the first module, and for Data3 after a refused one.
    std::shared_ptr<modules::ModuleStore> store;

    bool isOpen() const { return store != nullptr; }
    /// The rows of the bound table; 0 when nothing is bound or the table cannot be read.
    long RecordCount() const;
    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

}  // namespace vexlor::app
