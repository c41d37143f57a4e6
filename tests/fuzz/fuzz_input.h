// Reading a fuzzer's bytes as the arguments of engine calls: small numbers first, the rest as data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    // The next byte, 0 once the input is used up.
    uint8_t byte() { return at < size ? data[at++] : 0; }
    // A number in 0..n-1 from the next byte.
    int pick(int n) { return byte() % n; }
    // The next n bytes, zero-padded past the end.
    std::vector<uint8_t> bytes(size_t n) {
        std::vector<uint8_t> out(n, 0);
        const size_t have = at < size ? std::min(n, size - at) : 0;
        if (have) std::memcpy(out.data(), data + at, have);
        at += have;
        return out;
    }
    size_t left() const { return at < size ? size - at : 0; }
};
