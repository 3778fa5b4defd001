#include "codecs/rasterimage_jpg.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

const size_t kBufferSize = 4096;

// The library's standard error manager, with an exit that returns to the
// writer instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

// Output to a CByteStream through a 4096-byte buffer.
struct Destination {
    jpeg_destination_mgr manager;
    CByteStream* stream;
    JOCTET buffer[kBufferSize];
};

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->manager.next_output_byte = dest->buffer;
    dest->manager.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (dest->stream->Write(dest->buffer, 1, kBufferSize) != kBufferSize)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->manager.next_output_byte = dest->buffer;
    dest->manager.free_in_buffer = kBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const size_t filled = kBufferSize - dest->manager.free_in_buffer;
    if (filled > 0 && dest->stream->Write(dest->buffer, 1, static_cast<unsigned>(filled)) == 0)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->stream->Flush();
    if (dest->stream->Error())
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

} // namespace

bool CRasterImageJPG::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    const bool gray = IsGrayScale();
    if (head.biClrUsed && !gray) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }

    jpeg_compress_struct cinfo;
    ErrorManager error;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = ErrorExit;
    Destination destination;
    std::vector<JSAMPLE> row(info.dwEffWidth + 8);
    if (setjmp(error.jump)) {
        char message[JMSG_LENGTH_MAX];
        (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), message);
        SetLastError(message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    destination.manager.init_destination = InitDestination;
    destination.manager.empty_output_buffer = EmptyOutputBuffer;
    destination.manager.term_destination = TermDestination;
    destination.stream = stream;
    cinfo.dest = &destination.manager;

    cinfo.image_width = GetWidth();
    cinfo.image_height = GetHeight();
    cinfo.input_components = gray ? 1 : 3;
    cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, GetJpegQuality(), FALSE);
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    if (!gray) {
        for (int c = 1; c < 3; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.density_unit = 1;
    cinfo.X_density = static_cast<UINT16>(info.xDPI);
    cinfo.Y_density = static_cast<UINT16>(info.yDPI);
    jpeg_start_compress(&cinfo, TRUE);

    const uint32_t width = GetWidth();
    for (int32_t y = head.biHeight - 1; y >= 0; --y) {
        std::memcpy(row.data(), RowBits(y), info.dwEffWidth);
        if (!gray)
            for (uint32_t x = 0; x < width; ++x)
                std::swap(row[3 * x], row[3 * x + 2]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
