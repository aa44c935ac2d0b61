#include "tests/support/private_temp_folder.hpp"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace test_support {
namespace {

class PrivateTempFolder final : public testing::Environment {
public:
    explicit PrivateTempFolder(std::string folder) : folder_(std::move(folder)) {}
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::string folder_;
};

}  // namespace

void use_private_temp_folder()
{
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "vornak-tests-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "no temporary folder could be made in " << base;
        return;
    }
    // Readable by all, as the shared folder was: a test that runs part of itself as another user
    // still reaches the folders it made there.
    std::filesystem::permissions(pattern, std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                              std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    setenv("TEST_TMPDIR", (pattern + "/").c_str(), 1);
    testing::AddGlobalTestEnvironment(new PrivateTempFolder(pattern));
}

}  // namespace test_support
