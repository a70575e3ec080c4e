# The page-layout engines and the reports (core, no Qt). Included by src/CMakeLists.txt.
set(KORAL_INFORMES_FUENTES
  ${CMAKE_CURRENT_SOURCE_DIR}/reports/Impresion.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/reports/Escritores.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/reports/Listados.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/reports/InformePerfil.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/reports/CuestVacio.cpp)
# koral20-cli's report command, added to koral_cli.
set(KORAL_CLI_INFORMES ${CMAKE_CURRENT_SOURCE_DIR}/cli/ComandoReport.cpp)
