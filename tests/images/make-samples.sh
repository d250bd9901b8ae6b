#!/bin/bash
# Writes the sample streams in samples/ (committed; rerun only to change
# them). ImageMagick draws the good pictures; the broken ones are cut or
# patched from them byte by byte.
set -euo pipefail
cd "$(dirname "$0")/samples"
rm -f ./*

convert rose: -resize '45x30!' -strip -quality 90 -sampling-factor 2x2 colour_45x30.jpg
convert rose: -resize '45x30!' -strip -quality 90 -interlace Plane progressive_45x30.jpg
convert rose: -resize '45x30!' -strip -quality 90 -colorspace CMYK cmyk_45x30.jpg
# Vertical gradients, white at the top: the first decoded row is the brightest.
convert -size 45x30 gradient:white-black -strip -quality 95 -colorspace Gray mask_45x30.jpg
convert -size 64x32 gradient:white-black -strip -quality 95 -colorspace Gray mask_64x32.jpg
convert -size 37x21 gradient:white-black -strip -quality 95 -colorspace Gray grey_37x21.jpg
convert rose: -strip image.png
: >empty.jpg

python3 - <<'PY'
import random

colour = open("colour_45x30.jpg", "rb").read()

def marker(data, code):
    return data.index(bytes([0xFF, code]))

sos = marker(colour, 0xDA)
sos_end = sos + 2 + (colour[sos + 2] << 8 | colour[sos + 3])
sof = marker(colour, 0xC0)

open("truncated_soi.jpg", "wb").write(colour[:2])
open("truncated_header.jpg", "wb").write(colour[:marker(colour, 0xDB) + 40])
open("truncated_after_sos.jpg", "wb").write(colour[:sos_end])
open("truncated_half.jpg", "wb").write(colour[:sos_end + (len(colour) - sos_end) // 2])
open("missing_eoi.jpg", "wb").write(colour[:-2])

corrupt = bytearray(colour)
for i in range(sos_end + 40, sos_end + 80, 3):
    corrupt[i] = 0x5A
# A restart marker where none belongs: the decoder warns and resynchronises.
corrupt[sos_end + 100] = 0xFF
corrupt[sos_end + 101] = 0xD3
open("corrupt_scan.jpg", "wb").write(bytes(corrupt))

twelve_bit = bytearray(colour)
twelve_bit[sof + 4] = 12
open("precision12.jpg", "wb").write(bytes(twelve_bit))

huge = bytearray(colour)
huge[sof + 5:sof + 9] = bytes([0xEA, 0x60, 0xEA, 0x60])  # 60000 x 60000
open("huge_dimensions.jpg", "wb").write(bytes(huge))

# The same claim in a progressive stream, for which the library would hold
# the whole picture's coefficients.
progressive = open("progressive_45x30.jpg", "rb").read()
sof2 = marker(progressive, 0xC2)
huge_progressive = bytearray(progressive)
huge_progressive[sof2 + 5:sof2 + 9] = bytes([0xEA, 0x60, 0xEA, 0x60])
open("huge_progressive.jpg", "wb").write(bytes(huge_progressive))

# An APP1 segment whose length runs far past the end of the stream.
open("app_length_past_end.jpg", "wb").write(bytes([0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF]) + b"Exif\0\0" + bytes(20))

generator = random.Random(3)
open("garbage.bin", "wb").write(bytes(generator.randrange(256) for _ in range(700)))
PY
ls -l
