#pragma once
// The files a run left for the images of its catalogue, as the disk shows
// them once the conversion is over.
#include "engine/catalogue/image_entry.h"

#include <string>
#include <vector>

// The name a file the dump wrote has once converted to the format: a PBM,
// PGM, PPM or PAM file takes the format's extension; anything else (a JPEG copy,
// the raw dump) keeps its name.
std::string ConvertedName(const std::string& dumped, int format);

// Settles each entry's file as the disk holds it: the converted file, or the
// PBM/PGM/PPM/PAM file kept when the conversion failed, with its byte size and
// SHA-256; an image whose file is on the disk in no form gets the reason
// ("could not be written", with lossReason when known: why the conversion
// lost its images). A repeat names the first image's file as the disk holds it.
void SettleImageFiles(std::vector<ImageEntry>& entries, int format, const std::string& lossReason);
