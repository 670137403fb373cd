#pragma once

#include "Dialogs.h"

namespace tarnixw::kit {

// The production dialogs: real Qt message boxes and file dialogs.
class QtDialogs final : public Dialogs {
public:
    void message(const QString& text, const QString& detail = {}) override;
    void systemMessage(const QString& caption, const QString& text, const QString& detail = {}) override;
    void error(const QString& text) override;
    std::optional<QString> openFileName(const FileDialogSpec& spec) override;
    std::optional<QString> saveFileName(const FileDialogSpec& spec) override;
};

// The name filters a file dialog shows for a designer's filter ("*.plx (*.plx)", ...), with
// "*.*" meaning every file.
QStringList qtNameFilters(const QString& filter);

} // namespace tarnixw::kit
