# The page-layout engines and the reports (core, no Qt). Included by src/CMakeLists.txt.
set(KORAL_INFORMES_FUENTES)
