// The host's state streams, read and written whole: a stream may take or give fewer bytes
// than asked, so both loop until done, the end of the stream or an error.
#pragma once

#include <cstddef>
#include <cstdint>

#include "product/clap/clap_extensions.h"

// [main] Writes every byte; false on an error or a stream that stops taking bytes.
bool ClapWriteAll(const clap_ostream& stream, const uint8_t* data, size_t size);
// [main] Reads up to capacity bytes, until the stream ends: the count read, or -1 on an error.
int64_t ClapReadAtMost(const clap_istream& stream, uint8_t* data, size_t capacity);
