// The choices of a manual table from the norms-study window: its title, its norm score, the
// interval in its cells and the reversals to look for. They are remembered between sessions.
#pragma once

#include <string>

#include <QDialog>

#include "norms/tables/group_tables.hpp"
#include "norms/write/manual_table.hpp"
#include "platform/desktop.hpp"

class QComboBox;
class QLineEdit;
class QSettings;

namespace ui {

class ScaleChoice;

class ManualTableDialog : public QDialog {
    Q_OBJECT

public:
    ManualTableDialog(QSettings& settings, QWidget* parent = nullptr);

    norms::ManualChoices choices() const;
    std::string title() const;

    // Remembers the choices when they are taken.
    void accept() override;

private:
    QSettings& settings_;
    QLineEdit* txtTitle = nullptr;
    ScaleChoice* scale_choice_ = nullptr;
    QComboBox* cboInterval = nullptr;
    QComboBox* cboReversals = nullptr;
};

// Asks for the file in the save dialog that `proposed` describes, and writes the tables' manual
// table there with the choices, as a PDF document or a workbook by the name's ending. Nothing
// is written when the dialog is cancelled or the name ends otherwise, which a warning says.
// Throws platform::Failure when the file cannot be written.
void ExportManualTable(platform::Desktop& desktop, platform::FileDialog& proposed,
                       const norms::GroupTables& tables, const norms::ManualChoices& choices,
                       const std::string& title);

// The save dialog of a manual table, proposing `name`.
platform::FileDialog ManualTableFileDialog(const std::string& name);

}  // namespace ui
