# Tests of the reports; included by tests/CMakeLists.txt (koral_test is defined there).
koral_test(test_Escritores reports/test_Escritores.cpp koral_reports)
koral_test(test_Listados reports/test_Listados.cpp koral_reports)
koral_test(test_InformePerfil reports/test_InformePerfil.cpp koral_reports)
