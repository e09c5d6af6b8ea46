// Fuzzes brennix-tag over damaged PE files: a small signed or unsigned file whose bytes the
// input overwrites here and there (headers and certificate table included) and whose length it
// may cut. Whatever the damage, tagging and removing never read outside the file, a tag that is
// accepted is found by the stub's own rule with exactly the given bytes, and a refused file is
// left as it was.
#include "tools/tag/Tagging.h"

#include "payload/EmbeddedInformationScan.h"
#include "tests/tag/pe_test_image.h"

#include <cstdlib>

namespace Embedded = EmbeddedInformation;

namespace {

bool StubFinds(const Bytes& image, const Bytes& info)
{
    const Embedded::ScanResult found = Embedded::ScanFileImage(image.data(), image.size());
    if (found.outcome != Embedded::ScanOutcome::Found || found.dataSize != info.size())
        return false;
    const size_t start = image.size() - Embedded::kWindowOffsetFromEnd + found.dataIndex;
    return Bytes(image.begin() + start, image.begin() + start + found.dataSize) == info;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const bool isSigned = data[0] & 1;
    Bytes image = isSigned ? PeTestImage::Signed(5000, 300 + data[1]) : PeTestImage::Unsigned(5000 + data[1]);
    if (data[0] & 2)
        image.resize(image.size() - (data[1] % 64) * 8);
    // Each three input bytes overwrite one byte: a 16-bit offset and the value.
    for (size_t i = 2; i + 3 <= size; i += 3) {
        const size_t offset = (data[i] | (data[i + 1] << 8)) % image.size();
        image[offset] = data[i + 2];
    }
    const Bytes info = {'<', 'i', '/', '>'};

    Bytes untagged = image;
    bool removed = false;
    std::string error;
    RemoveTag(untagged, removed, error);

    Bytes tagged = image;
    if (ApplyTag(tagged, info, error)) {
        if (!StubFinds(tagged, info))
            std::abort();
        // Taking the tag away again gives what removing gives on the file as it came.
        if (!RemoveTag(tagged, removed, error) || !removed || tagged != untagged)
            std::abort();
    } else if (tagged != image) {
        std::abort();
    }
    return 0;
}
