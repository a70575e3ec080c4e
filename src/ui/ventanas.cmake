# The windows (koral_qt) and the window program Koral20; included by
# src/CMakeLists.txt once koral_plataforma_qt exists. The platform pieces that
# show dialogs or decode the about picture (libjpeg) are built here rather than
# in koral_plataforma_qt, which koral20-cli links too.
find_package(JPEG REQUIRED)
# The QR code of a campaign's address ("Recoger en red ...").
find_package(PkgConfig REQUIRED)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)

# The about picture and the program's icon are built into the program.
set(recursos_ventanas)
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
  list(APPEND recursos_ventanas ${salida})
endforeach()

add_library(koral_qt STATIC
  platform/qt/CampoCp1252.cpp
  platform/qt/DialogosArchivo.cpp
  platform/qt/Escritorio.cpp
  platform/qt/Jpeg.cpp
  ui/AvisosLectura.cpp
  ui/CajaTexto.cpp
  ui/Diferencias.cpp
  ui/Editores.cpp
  ui/Iconos.cpp
  ui/ImagenGrafico.cpp
  ui/ImpresionVentanas.cpp
  ui/Intercambio.cpp
  ui/ListaRegistros.cpp
  ui/PanelCuestionarios.cpp
  ui/PanelGrupos.cpp
  ui/PanelLista.cpp
  ui/PanelPerfiles.cpp
  ui/ProgresoLargo.cpp
  ui/SelectorGrupos.cpp
  ui/UChild.cpp
  ui/UComparar.cpp
  ui/UCuestionario.cpp
  ui/UDatosEvaluacion.cpp
  ui/UDialogs.cpp
  ui/UGrupo.cpp
  ui/UMain.cpp
  ui/UPaso.cpp
  ui/UPerfil.cpp
  ui/URecoger.cpp
  ui/Verificados.cpp
  ui/about.cpp
  ${recursos_ventanas})
target_link_libraries(koral_qt
  PUBLIC koral_method koral_reports koral_exchange koral_dialogos koral_plataforma_qt koral_red_qt
         Qt6::Widgets Qt6::Gui Qt6::PrintSupport
  PRIVATE JPEG::JPEG PkgConfig::QRENCODE nlohmann_json::nlohmann_json)

add_executable(Koral20 Koral20.cpp)
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
