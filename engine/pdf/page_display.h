#pragma once
// Draws a page on a device as the PDF library's own displayPage does (at 72
// dpi, its annotations included), with one difference: the page's content
// streams and its fonts' streams stored with Flate alone are inflated by
// libdeflate (see flate_data.h, font_streams.h) before the library reads
// them, which takes a fraction of the time of its own inflater. Any stream
// in doubt, and page content of more than 256 KB, is read by the library as
// before.
class OutputDev;
class PDFDoc;

void DisplayPage(PDFDoc& document, OutputDev& device, int page);
