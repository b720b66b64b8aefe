#pragma once
#include <QStringList>

#include "ui/Controls.h"

namespace larkspan {

// Qt's own Save dialog (the same on every desktop, and reachable by keyboard tools).
class QtSaveDialog final : public SaveDialog {
 public:
  void ShowSave() override;
};

// "desc|pattern|desc|pattern" as Qt's name filters "desc (pattern)"; a pattern list
// separated by ";" becomes one separated by blanks.
QStringList ToNameFilters(const std::u16string& filter);

}  // namespace larkspan
