#pragma once
// Where finished images go besides the folder: the command line converts
// them while the next ones are decoded.
#include <cstdint>
#include <string>

class ImageHandoff {
public:
    virtual ~ImageHandoff() = default;
    // A file that is complete under its name.
    virtual void Written(const std::string& path) = 0;
    // Whether a PBM or PPM file of this many bytes is taken in memory instead
    // of being written.
    virtual bool TakesContent(std::int64_t bytes) const = 0;
    // The bytes of such a file, which was not written; path is its name.
    virtual void Content(const std::string& path, std::string bytes) = 0;
};

// Takes every image in memory and drops it: for devices that must read an
// image as the dump device does (inline images) but keep nothing.
class DiscardImages : public ImageHandoff {
public:
    void Written(const std::string&) override {}
    bool TakesContent(std::int64_t) const override { return true; }
    void Content(const std::string&, std::string) override {}
};
