#pragma once
// Why an image gets no file: the same words in the dump's settling of each
// image, the listing and the report.

inline constexpr char kBelowMinimumSize[] = "below the minimum size";
inline constexpr char kMaskNotWritten[] = "masks are not written";
inline constexpr char kMaskInAlpha[] = "kept as its image's alpha";
inline constexpr char kRepeatedImage[] = "repeats an image already written";
