#pragma once
// SHA-256 digests in lowercase hex, through the system's crypto library.
#include <cstddef>
#include <cstdio>
#include <string>

std::string Sha256Hex(const std::string& bytes);
// Of a whole file, read from its start through its descriptor (the stream is
// flushed first); empty when it cannot be read.
std::string Sha256OfStream(FILE* file);
// Of the file at path, with its size; empty (and size -1) when it cannot be read.
std::string Sha256OfFile(const std::string& path, long long* size);
