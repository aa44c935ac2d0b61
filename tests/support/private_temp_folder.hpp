// Each test process gets a temporary folder of its own.
//
// CTest runs every test as its own process, several at once; in one shared folder a test that
// writes "classical.txt" truncates the file another test is reading at that moment.
#pragma once

namespace test_support {

// Makes a fresh folder, points testing::TempDir() at it through TEST_TMPDIR and removes it with
// everything in it when the tests end. Call it after testing::InitGoogleTest.
void use_private_temp_folder();

}  // namespace test_support
