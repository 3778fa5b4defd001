#pragma once
// The PDF library reads every font of a page afresh for each page it draws,
// embedded font program and character map included, each through its own
// slow inflater: on a manual of a few dozen fonts this is half the time of
// the run. Before a page is drawn, the streams of its fonts that are stored
// with Flate alone are inflated once with libdeflate (see flate_data.h) and
// handed to the library's cross-reference table in their place, so that
// every later page reads them from memory. The library's own bytes result
// either way; a stream in doubt is left as it is.
class Dict;
class XRef;

void InflateFontStreams(XRef* xref, Dict* resources);
