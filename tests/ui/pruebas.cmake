# Qt Test executables for the windows; included by tests/CMakeLists.txt.
