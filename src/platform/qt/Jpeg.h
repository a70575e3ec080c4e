// Decodes a JPEG image held in memory with libjpeg.
#pragma once

#include <QImage>
#include <cstddef>

namespace koral {

// A null image when the data is not a complete, valid JPEG (libjpeg's
// errors and warnings, such as a truncated stream, both count as failure).
QImage decodificarJpeg(const unsigned char* datos, std::size_t tam);

}  // namespace koral
