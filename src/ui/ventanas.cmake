# Sources of the window program's windows, added to koral_qt by src/CMakeLists.txt.
set(KORAL_UI_FUENTES)
