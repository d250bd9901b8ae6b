// pellix-imagegen <outdir>: writes the saver's pictures and icon into
// <outdir>. Deterministic: the same tool writes the same bytes.
#include "tools/imagegen/CloudNoise.h"
#include "tools/imagegen/GlassDiscs.h"
#include "tools/imagegen/IconFile.h"
#include "tools/imagegen/LogoText.h"
#include "tools/imagegen/Raster.h"

#include <cstdio>
#include <string>

namespace {

// The sheet's detail needs a fine quantiser; the mask's soft edges must not
// ring, so it is kept nearly lossless.
const int kSheetQuality = 94;
const int kMaskQuality = 100;
const int kCloudQuality = 92;
const int kLogoQuality = 96;

bool report(bool written, const std::string& path)
{
    if (!written) {
        std::fprintf(stderr, "pellix-imagegen: cannot write %s\n", path.c_str());
    }
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellix-imagegen <outdir>\n");
        return 2;
    }
    const std::string outdir = argv[1];
    bool ok = true;

    ok = report(writeJpeg(outdir + "/pellix_rgb.jpg", drawDiscSheet(), kSheetQuality), outdir + "/pellix_rgb.jpg") && ok;
    ok = report(writeJpeg(outdir + "/pellix_mask.jpg", drawDiscMask(), kMaskQuality), outdir + "/pellix_mask.jpg") && ok;
    ok = report(writeJpeg(outdir + "/clouds_mask.jpg", drawClouds(), kCloudQuality), outdir + "/clouds_mask.jpg") && ok;

    Raster logo(kLogoWidth, kLogoHeight, 1);
    if (!drawLogo(PELLIX_LOGO_FONT, logo)) {
        std::fprintf(stderr, "pellix-imagegen: cannot render with %s\n", PELLIX_LOGO_FONT);
        ok = false;
    }
    ok = report(writeJpeg(outdir + "/logo_mask.jpg", logo, kLogoQuality), outdir + "/logo_mask.jpg") && ok;
    ok = report(writeIcon(outdir + "/pellix.ico"), outdir + "/pellix.ico") && ok;
    return ok ? 0 : 1;
}
