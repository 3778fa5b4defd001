#pragma once
// The project's sample PDF: two pages holding every kind of image the
// extractor distinguishes.
#include <string>

namespace testpdf {

// Page 1: DCT RGB, DCT gray, DCT CMYK, Flate RGB, Flate gray, Flate indexed,
// a 1-bit image, a stencil mask, an RGB image with a soft mask (the mask
// itself is not an image of the page), and an inline image: 10 images.
// Page 2: the RGB JPEG again.
std::string SampleDocument();

// A page that draws an image, then a form which draws another form many
// times: a few kilobytes that keep the PDF library busy for a long while.
std::string SlowDocument(int pages = 1); // each page the same

// A JPEG image whose data is no JPEG data, drawn on both pages, and a small
// gray image on the first: one image to write, two to pass over.
std::string DamagedImageDocument();

// A page of 4 x 4 gray images whose Flate data is no Flate data: the PDF
// library reports errors for each (printed when VELLUMIN_ENGINE_ERRORS is
// set).
std::string DamagedFlateDocument(int images = 1);

// A 4 x 4 gray Flate image whose predictor rows are said to be 200 MB long:
// under a smaller memory limit the PDF library fails to allocate one, says
// "Out of memory" on standard error and aborts.
std::string HugePredictorRowDocument();

} // namespace testpdf
