# Tests of the reports; included by tests/CMakeLists.txt (koral_test is defined there).
koral_test(test_Escritores reports/test_Escritores.cpp koral_reports)
koral_test(test_Listados reports/test_Listados.cpp koral_reports)
koral_test(test_InformePerfil reports/test_InformePerfil.cpp koral_reports)
koral_test(test_ComandoReport cli/test_ComandoReport.cpp koral_cli)
if(KORAL_QT)
  # Runs the built koral20-cli, which draws PDF pages with Qt, and reads its
  # pages back with pdftotext to set them against the window program's.
  koral_test(test_ComandoReportPdf cli/test_ComandoReportPdf.cpp koral_reports koral_plataforma_qt)
  target_compile_definitions(test_ComandoReportPdf PRIVATE KORAL_CLI="$<TARGET_FILE:koral20-cli>"
    KORAL_MUESTRA="${PROJECT_SOURCE_DIR}/src/resources/muestra.kr2")
  add_dependencies(test_ComandoReportPdf koral20-cli)
endif()
