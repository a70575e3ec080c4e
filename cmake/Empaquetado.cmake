# The manual, koral20-cli with its man page, and the Debian package built by
# CPack (cpack -G DEB in the build folder).
include(cmake/Manual.cmake)
