#pragma once
// Undoes the predictors a Flate stream's /DecodeParms name: the TIFF
// predictor (2, each component minus the one of the pixel to its left) and
// the PNG predictors (10 to 15, a filter byte before each row saying how it
// was predicted: none, sub, up, average or Paeth), on rows of /Columns
// pixels of /Colors components of /BitsPerComponent bits.
#include <cstddef>
#include <cstdint>

struct PredictorParameters {
    int predictor = 1;
    int colors = 1;
    int bitsPerComponent = 8;
    int columns = 1;

    // False for values this code does not take (then the data is left to
    // the PDF library): predictors other than 1, 2 and 10 to 15, depths
    // other than 1, 2, 4, 8 and 16 (and 16 with the TIFF predictor),
    // colours beyond 32, rows beyond 256 MB.
    bool Supported() const;
    // Bytes of one row once decoded.
    std::int64_t RowBytes() const;
    // Bytes of one row as stored: a filter byte more with the PNG predictors.
    std::int64_t StoredRowBytes() const;
};

// Undoes the predictor in place over `rows` stored rows at the start of
// data, leaving the decoded rows packed at its start (rows * RowBytes()
// bytes). False when a row's filter byte names no PNG filter.
bool UndoPredictor(const PredictorParameters& parameters, unsigned char* data, std::int64_t rows);
