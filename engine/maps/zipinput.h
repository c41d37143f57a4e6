// Reading a zlib-compressed file whole into a bounded buffer.
#pragma once

#include <cstdint>
#include <string>

// Files larger than this are refused before they are read.
constexpr long kCompressedFileGuard = 67108864;

// Inflates the file at path into a zero-filled buffer of `limit` bytes, owned by the caller (free).
// Only a regular file is read (a FIFO or a device is refused without waiting on it).
// On success *length receives the inflated size; on any failure (unreadable, empty, over the guard,
// not one complete zlib stream, inflating past `limit`) the result is null and *length is untouched.
unsigned char* get_zipped_file_contents(const std::string& path, uint64_t* length, int limit);
