# The manual, koral20-cli with the man pages and the sample company, and the
# Debian package built by CPack (cpack -G DEB in the build folder).
include(cmake/Manual.cmake)

if(NOT KORAL_QT)
  return()
endif()
include(GNUInstallDirs)

install(TARGETS koral20-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/muestra.kr2
              ${PROJECT_SOURCE_DIR}/src/resources/muestra.koral.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/koral20)

# Man pages, compressed as Debian keeps them (gzip -n: no name or date
# inside, so the package is the same from one build to the next).
find_program(KORAL_GZIP gzip REQUIRED)
set(paginas_man)
foreach(pagina koral20-cli Koral20)
  set(salida ${PROJECT_BINARY_DIR}/man/${pagina}.1.gz)
  add_custom_command(OUTPUT ${salida}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${KORAL_GZIP} -9nc ${PROJECT_SOURCE_DIR}/docs/${pagina}.1 > ${salida}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${pagina}.1)
  list(APPEND paginas_man ${salida})
endforeach()
add_custom_target(paginas_man ALL DEPENDS ${paginas_man})
install(FILES ${paginas_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian's documentation folder: the copyright (required) and the changelog
# (a native package's, compressed as the policy asks).
set(carpeta_doc ${CMAKE_INSTALL_DATADIR}/doc/koral20)
set(registro ${PROJECT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${registro}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/debian
  COMMAND ${KORAL_GZIP} -9nc ${PROJECT_SOURCE_DIR}/docs/debian/changelog > ${registro}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/debian/changelog)
add_custom_target(registro_cambios ALL DEPENDS ${registro})
install(FILES ${PROJECT_SOURCE_DIR}/docs/debian/copyright ${registro} DESTINATION ${carpeta_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME koral20)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Equipo de KORAL 2.0")
set(CPACK_PACKAGE_CONTACT "Equipo de KORAL 2.0 <koral20@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "evaluación de factores psicosociales en el trabajo")
# The summary above is the first line; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"KORAL 2.0 sirve al técnico de prevención para evaluar los factores
psicosociales de una empresa con un cuestionario fijo de 75 preguntas:
se teclean los cuestionarios contestados en papel, se agrupan por
secciones, turnos o puestos, y se definen perfiles sobre esos grupos.
Para cada perfil da, en siete factores, la puntuación media de 0 a 10,
el reparto en tres niveles de valoración y la distribución de las
respuestas, en pantalla e impresos (papel, PDF o texto).

Incluye el programa de ventanas (Koral20), la herramienta de línea de
órdenes koral20-cli, el manual KORAL.chm y una empresa de ejemplo.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/koral20")
# Libraries found by dpkg-shlibdeps; xdg-open hands the manual to the viewer,
# and xchm is the viewer for it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm, fonts-liberation")
# Menu, file type and icon caches are refreshed by the triggers of
# desktop-file-utils, shared-mime-info and the icon theme: no scripts needed.
include(CPack)
