// The worksheet: the program's main window. It describes the program, takes the three numbers of
// a run, the interval method and the user's notes, and offers Compute, Clear Data and Exit.
// Controls carry their names as object names (txtInput1, memoComments, cmdCompute, …).
#pragma once

#include <QWidget>
#include <array>

#include "norms/write/views.hpp"
#include "platform/desktop.hpp"

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class NumericInputBox;

class TfrmTemplate : public QWidget, public norms::WorksheetView {
    Q_OBJECT
public:
    static constexpr int InputSlotCount = 8;
    static constexpr int ShownInputSlots = 3;
    static constexpr int NotesHeight = 25;
    static constexpr int NotesExpandedHeight = 70;
    static constexpr int NotesMaxLength = 250;

    explicit TfrmTemplate(platform::Desktop& desktop, QWidget* parent = nullptr);

    // The results viewer that a successful Compute brings up in place of this window.
    void set_results_viewer(norms::ResultsView& viewer);
    // Where the saved-worksheet file goes; chosen when the window is created unless changed.
    void set_saved_worksheet_path(std::string path);

    // norms::WorksheetView
    std::string input_text(int box) const override;
    std::string label_caption(int box) const override;
    int visible_input_count() const override;
    stats::IntervalMethod interval_method() const override;
    std::vector<std::string> notes_lines() const override;
    std::string notes_caption() const override;
    void focus_input(int box) override;
    void hide() override;
    void save_current_data() override;
    platform::FileDialog& open_dialog() override;

public slots:
    void cmdComputeClick();
    void btnclearDataClick();
    void ExitBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void createDescription();
    void createNotes();
    void createMethodAndInputs();
    void createButtons();
    void setFocusOrder();
    void LoadPreviousData();
    void DescripFldChange();
    void memoCommentsEnter();
    void memoCommentsKeyUp(int key);
    void memoCommentsExit();
    void memoCommentsChange(int position, int added);
    bool notesHoldSeveralLines() const;
    void expandNotes();
    NumericInputBox* box(int number) const;

    platform::Desktop& desktop_;
    norms::ResultsView* results_viewer_ = nullptr;
    std::string saved_worksheet_path_;
    platform::FileDialog OpenDialog1;

    QPlainTextEdit* DescripFld = nullptr;
    QLabel* lblComments = nullptr;
    QPlainTextEdit* memoComments = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;
    std::array<QLabel*, InputSlotCount> labels_{};
    std::array<NumericInputBox*, InputSlotCount> inputs_{};
    QPushButton* cmdCompute = nullptr;
    QPushButton* btnclearData = nullptr;
    QPushButton* ExitBtn = nullptr;
};

}  // namespace ui
