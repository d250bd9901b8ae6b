#include "images/MemorySource.h"

#include <jerror.h>

#include <csetjmp>

namespace {

// What the source supplies once its block is used up: an end-of-image
// marker, so the decoder finishes the picture (the missing part comes out
// as whatever the library fills in) instead of reading past the block.
const JOCTET kFakeEndOfImage[2] = {static_cast<JOCTET>(0xFF), static_cast<JOCTET>(JPEG_EOI)};

void MemorySourceInit(j_decompress_ptr)
{
}

boolean MemorySourceFill(j_decompress_ptr decompressor)
{
    WARNMS(decompressor, JWRN_JPEG_EOF);
    jpeg_source_mgr* source = decompressor->src;
    source->next_input_byte = kFakeEndOfImage;
    source->bytes_in_buffer = sizeof(kFakeEndOfImage);
    return TRUE;
}

void MemorySourceSkip(j_decompress_ptr decompressor, long count)
{
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* source = decompressor->src;
    size_t step = static_cast<size_t>(count);
    if (step > source->bytes_in_buffer) {
        // A marker length running past the end of the stream: stop at the
        // end; the next read then meets the end-of-image marker.
        step = source->bytes_in_buffer;
    }
    source->next_input_byte += step;
    source->bytes_in_buffer -= step;
}

void MemorySourceTerm(j_decompress_ptr)
{
}

}  // namespace

void SetMemorySource(j_decompress_ptr decompressor, MemoryBlock* block)
{
    MemorySourceManager* source = reinterpret_cast<MemorySourceManager*>(decompressor->src);
    if (source == nullptr) {
        source = static_cast<MemorySourceManager*>((*decompressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(decompressor), JPOOL_PERMANENT, sizeof(MemorySourceManager)));
        decompressor->src = &source->pub;
    }
    source->pub.init_source = MemorySourceInit;
    source->pub.fill_input_buffer = MemorySourceFill;
    source->pub.skip_input_data = MemorySourceSkip;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = MemorySourceTerm;
    source->block = block;
    source->pub.next_input_byte = block->data;
    source->pub.bytes_in_buffer = block->size;
}

void LoaderErrorExit(j_common_ptr decompressor)
{
    LoaderErrorManager* manager = reinterpret_cast<LoaderErrorManager*>(decompressor->err);
    (*manager->pub.output_message)(decompressor);
    longjmp(manager->recovery, 1);
}
