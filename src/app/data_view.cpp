#include "app/data_view.h"

namespace vexlor::app {

long DataView::RecordCount() const {
    if (!store) return 0;
    using Table = modules::ModuleStore::Table;
    if (RecordSource == "MainData") {
        const auto count = store->questionCount();
        return count ? static_cast<long>(*count) : 0;
    }
    for (const Table table : {Table::kProperties, Table::kAsked, Table::kScores}) {
        if (modules::ModuleStore::format(table).name != RecordSource) continue;
        const auto count = store->rowCount(table);
        return count ? static_cast<long>(*count) : 0;
    }
    return 0;
}

}  // namespace vexlor::app
