#pragma once
// A TIFF file that holds CCITT fax data as stored: one strip, compression 3
// (Group 3, with its T4Options) or 4 (Group 4), one bit per pixel.
#include "engine/pdf/stored_image_data.h"

#include <string>

// Why a TIFF file cannot hold fax data with these parameters for an image of
// that width, or nothing when it can. The fax rows must be as wide as the
// image; Group 3 rows need their end-of-line codes; Group 4 rows can be
// neither aligned on bytes nor carry end-of-line codes.
std::string CcittTiffRefusal(const CcittParameters& parameters, int width);

// The file: the image's width and height (the height the page draws, whatever
// /Rows says), and minIsBlack when the page shows the fax's white runs black.
std::string CcittTiff(const CcittParameters& parameters, int width, int height, bool minIsBlack,
                      const std::string& data);
