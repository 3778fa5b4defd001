#include "engine/dump/sha256_digest.h"

#include <openssl/evp.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

DigestContext NewContext() {
    DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        context.reset();
    return context;
}

std::string HexOf(EVP_MD_CTX* context) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context, digest, &length) != 1)
        return {};
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

// Digests what fd holds from offset 0, without moving its position; the
// byte count goes to size. Empty when a read fails.
std::string DigestOfDescriptor(int fd, long long* size) {
    DigestContext context = NewContext();
    if (!context)
        return {};
    char buffer[64 * 1024];
    long long offset = 0;
    for (;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        EVP_DigestUpdate(context.get(), buffer, static_cast<size_t>(n));
        offset += n;
    }
    *size = offset;
    return HexOf(context.get());
}

} // namespace

std::string Sha256Hex(const std::string& bytes) {
    DigestContext context = NewContext();
    if (!context)
        return {};
    EVP_DigestUpdate(context.get(), bytes.data(), bytes.size());
    return HexOf(context.get());
}

std::string Sha256OfStream(FILE* file) {
    long long size = 0;
    if (std::fflush(file) != 0)
        return {};
    return DigestOfDescriptor(fileno(file), &size);
}

std::string Sha256OfFile(const std::string& path, long long* size) {
    *size = -1;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    long long read = 0;
    std::string digest = DigestOfDescriptor(fd, &read);
    close(fd);
    if (!digest.empty())
        *size = read;
    return digest;
}
