# Tests of the reports; included by tests/CMakeLists.txt (koral_test is defined there).
