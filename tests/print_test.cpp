// Prints from the results viewer through a real print server and reads back what arrived.
// Run by cups/run_print_test.sh, which starts a private scheduler whose default queue writes
// each job as PDF to the file named by VORNAK_PRINT_OUTPUT.
#include "ui/TemplateResults.hpp"

#include <cstdlib>

#include <QAction>
#include <QDeadlineTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/failure_of.hpp"
#include "tests/support/scripted_desktop.hpp"

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(20000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

class PrintThroughCups : public testing::Test {
protected:
    PrintThroughCups()
    {
        EXPECT_FALSE(output.isEmpty()) << "run through cups/run_print_test.sh";
        QFile::remove(output);
        std::vector<std::string> report;
        for (int line = 1; line <= 250; ++line)
            report.push_back(QString("line %1   %2   %3")
                                 .arg(line, 3, 10, QChar('0'))
                                 .arg(line * 7)
                                 .arg(line % 9)
                                 .toStdString());
        report.insert(report.begin() + 75, QString("0123456789").repeated(40).toStdString());
        viewer.append_lines(report);
        viewer.show();
    }

    void print(const char* action)
    {
        viewer.findChild<QAction*>(action)->trigger();
        const QDeadlineTimer deadline(30000);
        while (!run("lpstat", {"-o"}).isEmpty() && !deadline.hasExpired())
            QTest::qWait(100);
    }

    // The text of each page of the job that arrived.
    QStringList pages()
    {
        const QString info = run("pdfinfo", {output});
        const int count = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
        QStringList texts;
        for (int page = 1; page <= count; ++page)
            texts << run("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), output, "-"});
        return texts;
    }

    static int completed_jobs() { return run("lpstat", {"-W", "completed", "-o"}).count('\n'); }

    void select(const QString& from, const QString& to)
    {
        QPlainTextEdit& memo = *viewer.findChild<QPlainTextEdit*>("memoResults");
        const QString text = memo.toPlainText();
        QTextCursor cursor = memo.textCursor();
        cursor.setPosition(text.indexOf(from));
        cursor.setPosition(text.indexOf(to) + to.size(), QTextCursor::KeepAnchor);
        memo.setTextCursor(cursor);
    }

    const QString output = qEnvironmentVariable("VORNAK_PRINT_OUTPUT");
    ScriptedDesktop desktop;
    ui::TfrmTemplateResults viewer{desktop};
};

// Every page has text, and the numbered lines appear once each, in order, from first to last.
void expect_lines_in_order(const QStringList& pages, int first, int last)
{
    const QString text = pages.join("");
    qsizetype position = 0;
    for (int line = first; line <= last; ++line) {
        const QString label = QString("line %1").arg(line, 3, 10, QChar('0'));
        position = text.indexOf(label, position);
        ASSERT_GE(position, 0) << label.toStdString();
        EXPECT_EQ(text.count(label), 1) << label.toStdString();
    }
    for (const QString& page : pages)
        EXPECT_FALSE(page.trimmed().isEmpty()) << "a blank sheet";
}

}  // namespace

TEST_F(PrintThroughCups, PrintAllSendsTheWholeReportAndRefusesASecondPrintMeanwhile)
{
    const int jobs_before = completed_jobs();
    std::string second_print;
    QTimer::singleShot(0, &viewer,
                       [&] { second_print = failure_of([&] { viewer.mnuPrintClick(); }); });
    print("mnuPrint");
    EXPECT_EQ(second_print, "Printing in progress");
    EXPECT_EQ(completed_jobs(), jobs_before + 1);

    const QStringList texts = pages();
    EXPECT_GE(texts.size(), 3);
    expect_lines_in_order(texts, 1, 250);
    // The 400-digit line is cut between characters and goes on, whole, on the next lines.
    QStringList digit_lines = texts.join("\n").split('\n').filter(QRegularExpression("^\\d{20,}$"));
    EXPECT_GE(digit_lines.size(), 2);
    EXPECT_EQ(digit_lines.join(""), QString("0123456789").repeated(40));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(PrintThroughCups, PrintSelectionSendsExactlyTheSelectedCharacters)
{
    select("ne 010", "line 140");
    print("mnuPrintSelection");
    const QStringList texts = pages();
    EXPECT_GE(texts.size(), 2);
    EXPECT_TRUE(texts.value(0).simplified().startsWith("ne 010 70 1"))
        << texts.value(0).left(40).toStdString();
    expect_lines_in_order(texts, 11, 140);
    EXPECT_FALSE(texts.join("").contains("line 010"));
    EXPECT_FALSE(texts.join("").contains("980"));  // the rest of line 140
}

TEST_F(PrintThroughCups, AJobThePrinterRefusesIsReportedNotLost)
{
    const QString queue = QPrinterInfo::defaultPrinterName();
    run("cupsreject", {queue});
    const std::string failure = failure_of([&] { viewer.mnuPrintClick(); });
    run("cupsaccept", {queue});
    EXPECT_EQ(failure, "Destination \"" + queue.toStdString() + "\" is not accepting jobs.");
}
