#include "platform/failure.hpp"

#include <cerrno>

#include <gtest/gtest.h>

using namespace platform;

TEST(Failure, FileErrorsReadAsTheUserExpects)
{
    EXPECT_STREQ(file_failure(ENOENT).what(), "File not found");
    EXPECT_STREQ(file_failure(EACCES).what(), "File access denied");
    EXPECT_STREQ(file_failure(EISDIR).what(), "File access denied");
    EXPECT_STREQ(file_failure(ENOSPC).what(), "Disk full");
    EXPECT_STREQ(file_failure(EMFILE).what(), "Too many open files");
    EXPECT_STREQ(file_failure(EIO).what(), "I/O error 5");
}

TEST(Failure, BoxTextGetsAFullStopOnlyAfterCharactersSortingAfterThePoint)
{
    EXPECT_EQ(failure_text("File not found"), "File not found.");
    EXPECT_EQ(failure_text("I/O error 5"), "I/O error 5.");
    EXPECT_EQ(failure_text("Done."), "Done.");
    EXPECT_EQ(failure_text("Why?"), "Why?.");
    EXPECT_EQ(failure_text("(a)"), "(a)");
    EXPECT_EQ(failure_text(""), "");
}

TEST(Failure, ApplicationTitleComesFromTheExecutableName)
{
    EXPECT_EQ(application_title("/opt/vornak/Vornak"), "Vornak");
    EXPECT_EQ(application_title("/opt/x.y/VORNAK.EXE"), "Vornak");
    EXPECT_EQ(application_title("vornak-batch"), "vornak-batch");
}
