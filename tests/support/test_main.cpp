#include <gtest/gtest.h>

#include "tests/support/private_temp_folder.hpp"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    test_support::use_private_temp_folder();
    return RUN_ALL_TESTS();
}
