#include "platform/whole_file.hpp"

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/failure_of.hpp"
#include "tests/support/temp_files.hpp"

using namespace platform;
namespace fs = std::filesystem;

namespace {

// A folder of the test's own, empty at the start.
fs::path fresh_folder(const std::string& name)
{
    const fs::path folder = fs::path(testing::TempDir()) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::size_t entry_count(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// A disk that fills up, a folder that takes no new file, an I/O error half-way: each on demand.
class FailingCalls : public SaveCalls {
public:
    bool folder_refuses = false;
    int reserve_error = 0;
    bool write_fails_once_half_way = false;

    int create_temporary(std::string& name_template) override
    {
        if (!folder_refuses)
            return SaveCalls::create_temporary(name_template);
        errno = EACCES;
        return -1;
    }
    int reserve(int fd, off_t length) override
    {
        return reserve_error != 0 ? reserve_error : SaveCalls::reserve(fd, length);
    }
    ssize_t write_at(int fd, const char* data, std::size_t size, off_t offset) override
    {
        if (write_fails_once_half_way && offset > 0) {
            write_fails_once_half_way = false;
            errno = EIO;
            return -1;
        }
        return SaveCalls::write_at(fd, data, write_fails_once_half_way ? size / 2 : size, offset);
    }
};

}  // namespace

TEST(SaveWholeFile, ReplacesTheTargetAndKeepsModeLinksAndSymlinks)
{
    const fs::path folder = fresh_folder("whole_file_links");
    const std::string fresh = (folder / "fresh.txt").string();
    SaveWholeFile(fresh, "new\r\n");
    EXPECT_EQ(file_content(fresh), "new\r\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0666 & ~mask));

    const std::string secret = write_temp_file("whole_file_links/secret.txt", "old, longer text");
    fs::permissions(secret, fs::perms(0640));
    SaveWholeFile(secret, "short");
    EXPECT_EQ(file_content(secret), "short");
    EXPECT_EQ(fs::status(secret).permissions(), fs::perms(0640));

    const std::string linked = write_temp_file("whole_file_links/linked.txt", "old text");
    fs::create_hard_link(linked, folder / "other name.txt");
    fs::create_symlink("linked.txt", folder / "link.txt");
    SaveWholeFile((folder / "link.txt").string(), "through the link");
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(file_content(folder / "other name.txt"), "through the link");

    fs::create_symlink("loop b", folder / "loop a");
    fs::create_symlink("loop a", folder / "loop b");
    EXPECT_EQ(failure_of([&] { SaveWholeFile((folder / "loop a").string(), "x"); }),
              "I/O error 40");
    EXPECT_EQ(fs::read_symlink(folder / "loop a"), "loop b");

    fs::create_directory(folder / "folder.txt");
    EXPECT_EQ(failure_of([&] { SaveWholeFile((folder / "folder.txt").string(), "x"); }),
              "File access denied");
    ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0600), 0);
    EXPECT_EQ(failure_of([&] { SaveWholeFile((folder / "fifo.txt").string(), "x"); }),
              "File access denied");
    EXPECT_EQ(entry_count(folder), 9u) << "a temporary file was left behind";
}

TEST(SaveWholeFile, AFailedSaveLeavesTheOldFileByteForByte)
{
    const fs::path folder = fresh_folder("whole_file_failures");
    const std::string old_text(5000, 'o');
    const std::string path = write_temp_file("whole_file_failures/report.txt", old_text);
    const std::string new_text(9000, 'n');
    FailingCalls calls;

    // A full disk, whether the new text goes to a temporary file or over the old one.
    calls.reserve_error = ENOSPC;
    EXPECT_EQ(failure_of([&] { SaveWholeFile(path, new_text, calls); }), "Disk full");
    calls.folder_refuses = true;
    EXPECT_EQ(failure_of([&] { SaveWholeFile(path, new_text, calls); }), "Disk full");
    EXPECT_EQ(file_content(path), old_text);
    EXPECT_EQ(entry_count(folder), 1u);

    // An I/O error half-way through overwriting in place.
    calls.reserve_error = 0;
    calls.write_fails_once_half_way = true;
    EXPECT_EQ(failure_of([&] { SaveWholeFile(path, new_text, calls); }), "I/O error 5");
    EXPECT_EQ(file_content(path), old_text);

    // With the space there, the overwrite succeeds and cuts the file to the new length.
    SaveWholeFile(path, "brief", calls);
    EXPECT_EQ(file_content(path), "brief");

    // Without the old file nothing can be overwritten: the refusal itself is the failure.
    EXPECT_EQ(failure_of([&] { SaveWholeFile((folder / "new.txt").string(), "x", calls); }),
              "File access denied");
    EXPECT_EQ(entry_count(folder), 1u);
}

TEST(FolderFiles, ReplacesLinksInTheFolderAndWritesNothingOutsideIt)
{
    const fs::path outside = fresh_folder("folder_files_outside");
    const fs::path folder = fresh_folder("folder_files");
    const std::string victim = write_temp_file("folder_files_outside/victim.txt", "victim");
    fs::create_symlink(victim, folder / "symlink.txt");
    fs::create_symlink(outside / "dangling.txt", folder / "dangling.txt");
    fs::create_hard_link(victim, folder / "hard.txt");

    for (const std::string name : {"symlink.txt", "dangling.txt", "hard.txt"}) {
        FolderFiles in_folder(folder.string());
        in_folder.add(name, "new " + name);
        in_folder.commit();
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / name))) << name;
        EXPECT_EQ(file_content(folder / name), "new " + name);
    }
    EXPECT_EQ(file_content(victim), "victim");
    EXPECT_EQ(fs::hard_link_count(victim), 1u);
    EXPECT_FALSE(fs::exists(outside / "dangling.txt"));
    EXPECT_EQ(entry_count(outside), 1u);
}

TEST(FolderFiles, AFailureBeforeTheCommitLeavesEveryOldFileAndNoNewOne)
{
    const fs::path folder = fresh_folder("folder_files_failure");
    write_temp_file("folder_files_failure/a.txt", "old a");

    // The disk fills up at the third file, in a folder the files would have made.
    class DiskFillsUp : public SaveCalls {
    public:
        int reserved = 0;
        int reserve(int fd, off_t length) override
        {
            return ++reserved == 3 ? ENOSPC : SaveCalls::reserve(fd, length);
        }
    } calls;
    for (const fs::path& at : {folder, folder / "made" / "for it"}) {
        calls.reserved = 0;
        EXPECT_EQ(failure_of([&] {
                      FolderFiles files(at.string(), &calls);
                      files.add("a.txt", "new a");
                      files.add("b.txt", "new b");
                      files.add("c.txt", "new c");
                      files.commit();
                  }),
                  (at / "c.txt").string() + ": disk full");
    }
    EXPECT_EQ(file_content(folder / "a.txt"), "old a");
    EXPECT_EQ(entry_count(folder), 1u) << "a temporary file, a new file or a made folder stayed";

    // Files that commit() never reaches go too.
    {
        FolderFiles files(folder.string());
        files.add("b.txt", "new b");
    }
    EXPECT_EQ(entry_count(folder), 1u);
}

TEST(FolderFiles, MessagesNameTheFileAndTheCause)
{
    const fs::path folder = fresh_folder("folder_files_messages");
    const std::string plain = write_temp_file("folder_files_messages/plain", "");
    fs::create_symlink("nowhere", folder / "dangling");
    fs::create_symlink("loop", folder / "loop");
    fs::create_directory(folder / "sub.txt");
    const struct {
        fs::path folder;
        std::string message;
    } cases[] = {
        {plain, plain + ": not a folder"},
        {folder / "plain" / "x", plain + ": not a folder"},
        {folder / "dangling", (folder / "dangling").string() + ": a symbolic link to nothing"},
        {folder / "loop" / "x", (folder / "loop").string() + ": a loop of symbolic links"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failure_of([&] { FolderFiles files(c.folder.string()); }), c.message);
    FolderFiles files(folder.string());
    EXPECT_EQ(failure_of([&] { files.add("sub.txt", "x"); }),
              (folder / "sub.txt").string() + ": a folder is in the way");
    EXPECT_EQ(failure_of([&] { files.add(std::string(256, 'x'), "x"); }),
              (folder / std::string(256, 'x')).string() + ": name too long");
}

TEST(StagedFiles, FilesTakeTheirPlacesTogetherAtTheCommitAndNotBefore)
{
    const fs::path folder = fresh_folder("staged_files");
    const fs::path outside = fresh_folder("staged_files_outside");
    const std::string old = write_temp_file("staged_files/old.txt", "old");
    const std::string victim = write_temp_file("staged_files_outside/victim.txt", "victim");
    fs::create_symlink(victim, folder / "link.txt");
    const std::string fresh = (folder / "fresh.txt").string();
    {
        StagedFiles files;
        files.add(old, "new");
        files.add(fresh, "fresh");
        EXPECT_EQ(file_content(old), "old");
        EXPECT_FALSE(fs::exists(fresh));
    }
    EXPECT_EQ(entry_count(folder), 2u) << "a temporary file stayed";

    StagedFiles files;
    files.add(old, "new");
    files.add(fresh, "fresh");
    files.add((folder / "link.txt").string(), "through the link");
    files.commit();
    EXPECT_EQ(file_content(old), "new");
    EXPECT_EQ(file_content(fresh), "fresh");
    // As SaveWholeFile saves: the link stays, and its file gets the text.
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(file_content(victim), "through the link");
    EXPECT_EQ(entry_count(folder), 3u);
}

TEST(StagedFiles, MessagesNameTheFileAndTheCause)
{
    const fs::path folder = fresh_folder("staged_files_messages");
    const std::string fresh = (folder / "fresh.xlsx").string();
    FailingCalls calls;
    StagedFiles files(&calls);
    calls.folder_refuses = true;
    EXPECT_EQ(failure_of([&] { files.add(fresh, "x"); }), fresh + ": permission denied");
    calls.folder_refuses = false;
    calls.reserve_error = ENOSPC;
    EXPECT_EQ(failure_of([&] { files.add(fresh, "x"); }), fresh + ": disk full");
    EXPECT_EQ(failure_of([&] { files.add((folder / "missing" / "x.png").string(), "x"); }),
              (folder / "missing" / "x.png").string() + ": no such folder");
    EXPECT_EQ(entry_count(folder), 0u);
}
