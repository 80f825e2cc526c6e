#pragma once

#include <QString>
#include <optional>

#include "editor/print.h"

class QWidget;

namespace vexlor::editor {

/// Asks what to print (the question sheet, the answer key or both) and how the answers are
/// lettered, starting from `options`; nothing when cancelled.
std::optional<PrintOptions> askPrintOptions(QWidget* parent, const QString& title,
                                            const PrintOptions& options);

}  // namespace vexlor::editor
