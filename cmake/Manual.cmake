# The manual KORAL.chm: the pictures are rendered from the program itself
# (offscreen, so no display is needed), then the HTML pages under
# docs/manual/ are compiled with chmcmd and the result is placed beside the
# window program, where "Manual" looks for it. Without chmcmd the rest of the
# build goes on and the manual is left out.
if(NOT KORAL_QT)
  return()
endif()

add_executable(capturas_manual ${PROJECT_SOURCE_DIR}/docs/capturas_manual.cpp)
target_link_libraries(capturas_manual PRIVATE koral_qt)

find_program(KORAL_CHMCMD chmcmd)
find_program(KORAL_ICONV iconv)
if(NOT KORAL_CHMCMD OR NOT KORAL_ICONV)
  message(STATUS "Sin chmcmd (paquete fp-utils) o iconv: el manual KORAL.chm no se compila.")
  return()
endif()

set(KORAL_MANUAL_DIR ${PROJECT_BINARY_DIR}/manual)
# Koral20 is written to its own folder of the build tree (no output folder is set).
get_target_property(carpeta_programa Koral20 BINARY_DIR)
set(KORAL_MANUAL_CHM ${carpeta_programa}/KORAL.chm)
set(muestra ${PROJECT_SOURCE_DIR}/src/resources/muestra.kr2)
set(importar ${PROJECT_SOURCE_DIR}/docs/ejemplo_importar.txt)
file(GLOB fuentes_manual CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/manual/*)

add_custom_command(OUTPUT ${KORAL_MANUAL_DIR}/capturas.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KORAL_MANUAL_DIR}/capturas
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:capturas_manual> ${KORAL_MANUAL_DIR}/capturas ${muestra} ${importar}
  COMMAND ${CMAKE_COMMAND} -E touch ${KORAL_MANUAL_DIR}/capturas.stamp
  DEPENDS capturas_manual ${muestra} ${PROJECT_SOURCE_DIR}/src/resources/muestra.koral.json
          ${importar}
  COMMENT "Capturas del manual"
  VERBATIM)

add_custom_command(OUTPUT ${KORAL_MANUAL_CHM}
  COMMAND ${CMAKE_COMMAND} -DFUENTES=${PROJECT_SOURCE_DIR}/docs/manual -DDESTINO=${KORAL_MANUAL_DIR}
          -DCHMCMD=${KORAL_CHMCMD} -DICONV=${KORAL_ICONV} -DSALIDA=${KORAL_MANUAL_CHM}
          -P ${PROJECT_SOURCE_DIR}/docs/compilar_manual.cmake
  DEPENDS ${fuentes_manual} ${KORAL_MANUAL_DIR}/capturas.stamp
          ${PROJECT_SOURCE_DIR}/docs/compilar_manual.cmake
  COMMENT "Manual KORAL.chm"
  VERBATIM)
add_custom_target(manual ALL DEPENDS ${KORAL_MANUAL_CHM})

include(GNUInstallDirs)
install(FILES ${KORAL_MANUAL_CHM} DESTINATION ${CMAKE_INSTALL_DATADIR}/koral20)
