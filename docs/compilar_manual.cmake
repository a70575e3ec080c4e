# Compiles the manual: copies the sources next to the rendered pictures,
# turns the contents, index and project files into Windows-1252 (the code
# page of a Spanish help file, in which viewers read them), runs chmcmd and
# puts KORAL.chm at SALIDA.
#   cmake -DFUENTES=... -DDESTINO=... -DCHMCMD=... -DICONV=... -DSALIDA=... -P compilar_manual.cmake
file(GLOB fuentes RELATIVE ${FUENTES} ${FUENTES}/*)
foreach(f IN LISTS fuentes)
  if(f MATCHES "\\.(hhp|hhc|hhk|html)$")
    execute_process(COMMAND ${ICONV} -f UTF-8 -t WINDOWS-1252 ${FUENTES}/${f}
                    OUTPUT_FILE ${DESTINO}/${f} RESULT_VARIABLE r)
    if(NOT r EQUAL 0)
      message(FATAL_ERROR "${f}: hay caracteres sin forma en Windows-1252")
    endif()
  else()
    file(COPY ${FUENTES}/${f} DESTINATION ${DESTINO})
  endif()
endforeach()
file(REMOVE ${DESTINO}/KORAL.chm)
execute_process(COMMAND ${CHMCMD} koral.hhp WORKING_DIRECTORY ${DESTINO}
                OUTPUT_VARIABLE salida ERROR_VARIABLE salida RESULT_VARIABLE r)
if(NOT r EQUAL 0 OR NOT EXISTS ${DESTINO}/KORAL.chm OR salida MATCHES "Error")
  message(FATAL_ERROR "chmcmd no pudo compilar el manual:\n${salida}")
endif()
file(COPY_FILE ${DESTINO}/KORAL.chm ${SALIDA})
