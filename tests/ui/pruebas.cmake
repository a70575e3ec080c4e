# Qt Test executables for the windows; included by tests/CMakeLists.txt.
koral_qtest(test_UChild ui/test_UChild.cpp)
koral_qtest(test_UMain ui/test_UMain.cpp)
koral_qtest(test_about ui/test_about.cpp)
koral_qtest(test_UCuestionario ui/test_UCuestionario.cpp)
koral_qtest(test_UGrupo ui/test_UGrupo.cpp)
koral_qtest(test_UPerfil ui/test_UPerfil.cpp)
