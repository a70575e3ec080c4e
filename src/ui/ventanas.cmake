# Sources of the window program's windows, added to koral_qt by src/CMakeLists.txt.
find_package(JPEG REQUIRED)

# The about picture and the program's icon are built into the program.
set(KORAL_UI_RECURSOS)
foreach(par "AcercaDe=acerca.jpg" "Icono=koral20.png")
  string(REPLACE "=" ";" par "${par}")
  list(GET par 0 nombre)
  list(GET par 1 archivo)
  set(entrada ${CMAKE_CURRENT_SOURCE_DIR}/resources/${archivo})
  set(salida ${CMAKE_CURRENT_BINARY_DIR}/recurso_${nombre}.cpp)
  add_custom_command(OUTPUT ${salida}
    COMMAND ${CMAKE_COMMAND} -DENTRADA=${entrada} -DSALIDA=${salida} -DNOMBRE=${nombre}
            -P ${PROJECT_SOURCE_DIR}/cmake/Incrustar.cmake
    DEPENDS ${entrada} ${PROJECT_SOURCE_DIR}/cmake/Incrustar.cmake
    VERBATIM)
  list(APPEND KORAL_UI_RECURSOS ${salida})
endforeach()

set(KORAL_UI_FUENTES
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/qt/DialogosArchivo.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/qt/Escritorio.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/qt/Jpeg.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/AvisosLectura.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/Editores.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/Iconos.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/ListaRegistros.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/SelectorGrupos.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/UChild.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/UCuestionario.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/UGrupo.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/UMain.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/UPerfil.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/about.cpp
  ${KORAL_UI_RECURSOS})

# koral_qt is defined after this file is read; its libjpeg link is added then.
cmake_language(DEFER CALL target_link_libraries koral_qt PUBLIC JPEG::JPEG)

add_executable(Koral20 ${PROJECT_SOURCE_DIR}/src/Koral20.cpp)
set_target_properties(Koral20 PROPERTIES AUTOMOC ON)
target_link_libraries(Koral20 PRIVATE koral_qt)

# Desktop integration: the program, its entry, its icon and the ".kr2" type.
include(GNUInstallDirs)
install(TARGETS Koral20 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/koral20.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/koral20.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/koral20-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
