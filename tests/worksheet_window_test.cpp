#include "ui/TemplateForm.hpp"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <filesystem>

#include <gtest/gtest.h>

#include "norms/read/input_checks.hpp"
#include "norms/program_strings.hpp"
#include "platform/failure.hpp"
#include "tests/support/method_choice.hpp"
#include "tests/support/scripted_desktop.hpp"
#include "tests/support/temp_files.hpp"
#include "tests/support/ui_test_application.hpp"

namespace {

const ScriptedDesktop::Message numeric_only{"Warning", "INPUT ERROR\r\rEnter numeric data only."};
const ScriptedDesktop::Message too_long{"Warning", "Maximum length of input is 6 characters."};

class Worksheet : public testing::Test {
protected:
    Worksheet()
    {
        std::filesystem::remove(saved_path);
        form.set_saved_worksheet_path(saved_path);
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    template <typename Control>
    Control* control(const char* name)
    {
        auto* found = form.findChild<Control*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* box(int number)
    {
        const std::string name = (number == 8 ? "txtinput" : "txtInput") + std::to_string(number);
        return control<QLineEdit>(name.c_str());
    }
    QPlainTextEdit* notes() { return control<QPlainTextEdit>("memoComments"); }
    void type_into(QWidget* widget, const QString& keys)
    {
        widget->setFocus();
        QTest::keyClicks(widget, keys);
    }

    const std::string saved_path =
        testing::TempDir() + testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    ScriptedDesktop desktop;
    ui::TfrmTemplate form{desktop};
};

TEST_F(Worksheet, StartsEmptyWithTheBayesianMethodAndTheFocusInTheFirstBox)
{
    EXPECT_EQ(form.windowTitle().toStdString(), norms::TitleLine);
    EXPECT_EQ(form.size(), QSize(792, 573));
    for (int number = 1; number <= 8; ++number) {
        EXPECT_EQ(box(number)->isVisible(), number <= 3) << number;
        EXPECT_TRUE(box(number)->text().isEmpty()) << number;
    }
    EXPECT_TRUE(form.notes_lines().empty());
    QStringList method_items;
    for (const QRadioButton* item : form.findChildren<QRadioButton*>())
        method_items << item->text();
    EXPECT_EQ(method_items, QStringList({"Bayesian method", "Classical method",
                                         "Classical method: Mid-p variant"}));
    EXPECT_EQ(form.interval_method(), stats::IntervalMethod::bayesian);
    EXPECT_EQ(QApplication::focusWidget(), box(1));
}

TEST_F(Worksheet, BoxesTakeOnlyNumericCharactersAndRefuseTheClipboardShortcuts)
{
    QLineEdit* input = box(2);
    type_into(input, "1a");
    EXPECT_EQ(input->text(), "1");
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(desktop.messages, std::vector{numeric_only});

    type_into(input, ",");
    EXPECT_EQ(input->text(), "1.");

    // Keys that type nothing move about in the box as usual, without a word.
    QTest::keyClick(input, Qt::Key_Home);
    QTest::keyClick(input, Qt::Key_Shift);
    QTest::keyClick(input, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(input->selectedText(), "1");
    EXPECT_EQ(desktop.messages.size(), 1u);

    QGuiApplication::clipboard()->setText("999");
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(input, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(input->text(), "1.");
    EXPECT_EQ(desktop.beeps, 3);
    EXPECT_EQ(desktop.messages, std::vector(3, numeric_only));
}

TEST_F(Worksheet, DeleteAndTheInsertShortcutsEditTheBoxWithoutAWord)
{
    QLineEdit* input = box(1);
    type_into(input, "123");
    QTest::keyClick(input, Qt::Key_Home);
    QTest::keyClick(input, Qt::Key_Delete);
    // An X server gives Delete the text of the DEL character; it still types nothing.
    QTest::sendKeyEvent(QTest::Click, input, Qt::Key_Delete, '\x7f', Qt::NoModifier);
    EXPECT_EQ(input->text(), "3");

    input->selectAll();
    QTest::keyClick(input, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "3");
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(desktop.beeps, 0);

    // A paste is not filtered, but its key release cuts the box back to six characters.
    QGuiApplication::clipboard()->setText("45x7890");
    QTest::keyClick(input, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(input->text(), "45x789");
    EXPECT_EQ(desktop.messages, std::vector{too_long});
    EXPECT_EQ(desktop.beeps, 1);
}

TEST_F(Worksheet, ASeventhCharacterIsCutBackToSixAllSelected)
{
    type_into(box(1), "12");
    type_into(box(3), "1234567");
    EXPECT_EQ(desktop.messages, std::vector{too_long});
    EXPECT_EQ(desktop.beeps, 1);
    EXPECT_EQ(box(3)->text(), "123456");
    EXPECT_EQ(box(3)->selectedText(), "123456");
    // The next character replaces the whole selection.
    type_into(box(3), "9");
    EXPECT_EQ(box(3)->text(), "9");
    EXPECT_EQ(box(1)->text(), "12");
}

TEST_F(Worksheet, SavesTheBoxTextsAndClearDataDeletesThemButKeepsTheMethod)
{
    type_into(box(1), "0");
    type_into(box(2), "30");
    type_into(box(3), "250");
    type_into(notes(), "norms of 2024");
    choose_method(form, stats::IntervalMethod::mid_p);
    form.save_current_data();
    EXPECT_EQ(file_content(saved_path), "0 30 250      ");

    QTest::mouseClick(control<QPushButton>("btnclearData"), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(saved_path));
    for (int number = 1; number <= 3; ++number)
        EXPECT_TRUE(box(number)->text().isEmpty());
    EXPECT_TRUE(notes()->toPlainText().isEmpty());
    EXPECT_EQ(form.interval_method(), stats::IntervalMethod::mid_p);
    EXPECT_EQ(QApplication::focusWidget(), box(1));
    // Without a file there is nothing to report.
    QTest::mouseClick(control<QPushButton>("btnclearData"), Qt::LeftButton);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(Worksheet, ExitEndsTheProgramOnlyWhenConfirmedAndTheFrameClosesWithoutAsking)
{
    desktop.confirm_answers = {false, true};
    QTest::mouseClick(control<QPushButton>("ExitBtn"), Qt::LeftButton);
    EXPECT_TRUE(form.isVisible());
    QTest::mouseClick(control<QPushButton>("ExitBtn"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(desktop.messages,
              std::vector(2, ScriptedDesktop::Message{"Confirm", "Exit from program?"}));

    form.show();
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(desktop.messages.size(), 2u);
}

TEST_F(Worksheet, NotesBoxGrowsForSeveralLinesAndShrinksWhenLeft)
{
    QPlainTextEdit* memo = notes();
    type_into(memo, "first");
    EXPECT_EQ(memo->height(), 25);
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(memo->height(), 70);
    QTest::keyClicks(memo, "second");
    box(1)->setFocus();
    EXPECT_EQ(memo->height(), 25);
    EXPECT_EQ(form.notes_lines(), (std::vector<std::string>{"first", "second"}));
    // Whole lines only: the first line all inside the box, nothing of the second.
    const auto line_extent = [&](int line) {
        return memo->cursorRect(QTextCursor(memo->document()->findBlockByNumber(line)));
    };
    const int shown_height = memo->viewport()->height();
    EXPECT_LE(line_extent(0).y() + line_extent(0).height(), shown_height);
    EXPECT_GE(line_extent(1).y(), shown_height);
    memo->setFocus();
    EXPECT_EQ(memo->height(), 70);

    // One long line that the box wraps counts as several, and the notes stop at 250 characters.
    memo->setPlainText(QString("word ").repeated(60));
    const std::vector<std::string> lines = form.notes_lines();
    EXPECT_GT(lines.size(), 2u);
    std::string joined;
    for (const std::string& line : lines)
        joined += line;
    EXPECT_EQ(joined, QString("word ").repeated(50).toStdString());
}

TEST(Application, ShowsAFailureThatEscapesAnEventHandler)
{
    struct Throwing : QObject {
        bool event(QEvent*) override { throw platform::file_failure(ENOSPC); }
    } receiver;
    application_failures().messages.clear();
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&receiver, &event));
    const ScriptedDesktop::Message shown{"Failure", "Disk full"};
    EXPECT_EQ(application_failures().messages, std::vector{shown});
}

}  // namespace
