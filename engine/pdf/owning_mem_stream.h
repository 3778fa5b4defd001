#pragma once
// A memory stream of the PDF library over bytes it owns (the library's own
// kind of it is not exported). Bytes is any owner of them that gives Data()
// and Size(); it is a base of its own, made before the stream, so that the
// bytes exist when the stream is made over them.
#include <Object.h>
#include <Stream.h>

#include <utility>

template <typename Bytes>
class OwningMemStream : private Bytes, public MemStream {
public:
    OwningMemStream(Bytes bytes, Object&& dict)
        : Bytes(std::move(bytes)), MemStream(reinterpret_cast<const char*>(Bytes::Data()), 0,
                                             static_cast<Goffset>(Bytes::Size()), std::move(dict)) {}
};
