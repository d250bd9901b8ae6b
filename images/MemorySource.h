#pragma once

// The two adapters between the picture loaders and libjpeg: a data source
// that serves one block of memory in place, and an error manager that brings
// control back to the loader instead of ending the process.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// The bytes of one JPEG stream. The loader makes one with new for each
// picture after its resource lookup and deletes it when that picture is
// finished or decoding fails. The bytes themselves are not owned.
struct MemoryBlock {
    // First byte of the stream (the locked resource memory); read-only and
    // valid for the life of the module.
    const unsigned char* data = nullptr;
    // Number of bytes at data.
    uint32_t size = 0;
};

// The decompressor's data source. `pub` must stay the first member: the
// library sees the record as its jpeg_source_mgr. Allocated once per
// decompressor from its permanent pool by SetMemorySource and released with
// the decompressor.
//
// The source never suspends and never reads outside its block: when the
// decoder asks for more than the block holds it gets an end-of-image marker
// and the library's end-of-file warning, and a skip stops at the block's end.
struct MemorySourceManager {
    jpeg_source_mgr pub;
    // The block that the source was last pointed at.
    MemoryBlock* block;
};

// The decompressor's error manager. `pub` must stay the first member; it is
// filled by jpeg_std_error, with error_exit replaced by LoaderErrorExit.
// `recovery` holds the loader's setjmp point.
struct LoaderErrorManager {
    jpeg_error_mgr pub;
    jmp_buf recovery;
};

// Makes `decompressor` read from `block` (not copied; must outlive the
// decoding). The first call on a decompressor allocates its
// MemorySourceManager from the decompressor's JPOOL_PERMANENT pool; later
// calls re-point that same one, resetting the read position to the block's
// first byte.
void SetMemorySource(j_decompress_ptr decompressor, MemoryBlock* block);

// error_exit of LoaderErrorManager: writes the pending message, one line, to
// standard error through the manager's output_message, then longjmps with 1
// to the manager's recovery point. `decompressor->err` must point at a
// LoaderErrorManager whose recovery point is set. Never returns.
void LoaderErrorExit(j_common_ptr decompressor);

