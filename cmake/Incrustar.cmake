# Writes ENTRADA's bytes into SALIDA as a C++ array named NOMBRE.
# Run as: cmake -DENTRADA=... -DSALIDA=... -DNOMBRE=... -P Incrustar.cmake
file(READ "${ENTRADA}" hex HEX)
string(LENGTH "${hex}" largo)
math(EXPR bytes "${largo} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," cuerpo "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" cuerpo "${cuerpo}")
file(WRITE "${SALIDA}"
  "// Generated from ${ENTRADA}; edit that file instead.\n"
  "#include <cstddef>\n"
  "namespace koral::recursos {\n"
  "extern const unsigned char ${NOMBRE}[];\n"
  "extern const std::size_t ${NOMBRE}Tam;\n"
  "const unsigned char ${NOMBRE}[] = {\n${cuerpo}0};\n"
  "const std::size_t ${NOMBRE}Tam = ${bytes};\n"
  "}\n")
