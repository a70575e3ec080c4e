#include "platform/qt/Jpeg.h"

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace koral {

namespace {

// libjpeg's default error handler ends the process; return to our caller instead.
struct ErrorJpeg {
    jpeg_error_mgr base;
    std::jmp_buf salto;
};

[[noreturn]] void salirConError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJpeg*>(info->err)->salto, 1);
}

void sinSalida(j_common_ptr) {}

// Kept free of C++ objects with destructors: a longjmp out of libjpeg must
// not skip any. Fills `imagen`, allocated by the caller once the size is known.
bool decodificar(jpeg_decompress_struct& info, ErrorJpeg& error, const unsigned char* datos,
                 std::size_t tam, QImage* imagen) {
    if (setjmp(error.salto)) return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, datos, static_cast<unsigned long>(tam));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0)
        return false;
    *imagen = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                     QImage::Format_RGB888);
    if (imagen->isNull()) return false;
    // QImage rows are 4-byte aligned: one scanline at a time, straight into each row.
    while (info.output_scanline < info.output_height) {
        JSAMPROW fila = imagen->scanLine(static_cast<int>(info.output_scanline));
        if (jpeg_read_scanlines(&info, &fila, 1) != 1) return false;
    }
    jpeg_finish_decompress(&info);
    return error.base.num_warnings == 0;
}

}  // namespace

QImage decodificarJpeg(const unsigned char* datos, std::size_t tam) {
    if (!datos || tam == 0) return {};
    jpeg_decompress_struct info{};
    ErrorJpeg error{};
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = salirConError;
    error.base.output_message = sinSalida;
    QImage imagen;
    const bool bien = decodificar(info, error, datos, tam, &imagen);
    jpeg_destroy_decompress(&info);
    return bien ? imagen : QImage();
}

}  // namespace koral
