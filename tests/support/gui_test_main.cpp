#include <gtest/gtest.h>

#include "tests/support/private_temp_folder.hpp"
#include "tests/support/ui_test_application.hpp"
#include "ui/Application.hpp"

ScriptedDesktop& application_failures()
{
    static ScriptedDesktop desktop;
    return desktop;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests for CTest needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    test_support::use_private_temp_folder();
    ui::Application app(argc, argv, application_failures());
    return RUN_ALL_TESTS();
}
