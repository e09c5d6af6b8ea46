#include "tools/tag/Tagging.h"

#include "payload/EmbeddedInformationScan.h"
#include "tools/pack/ByteSource.h"
#include "tools/pack/LittleEndian.h"
#include "tools/pack/PeCheckSum.h"
#include "tools/pack/PeImage.h"

#include <algorithm>
#include <iterator>

namespace {

namespace Embedded = EmbeddedInformation;
namespace pack = brennix::pack;

// The places of the file that tagging touches.
struct PeLayout {
    size_t checksumOffset = 0;
    size_t securityDirectoryOffset = 0;   // the directory entry: table offset, then size
    uint32_t certificateTableOffset = 0;  // 0 when unsigned
    uint32_t certificateTableSize = 0;    // 0 when unsigned
    bool IsSigned() const { return certificateTableSize != 0; }
};

bool ReadPeLayout(const Bytes& image, PeLayout& layout, std::string& error)
{
    pack::PeImage pe;
    const pack::PackResult read = pack::ReadPeImage(pack::MemorySource(image), pe);
    if (!read) {
        error = read.message();
        return false;
    }
    layout.checksumOffset = pe.CheckSumOffset();
    layout.securityDirectoryOffset = pe.DirectoryOffset(pack::kSecurityDirectory);
    layout.certificateTableOffset = pe.directories[pack::kSecurityDirectory].rva;
    layout.certificateTableSize = pe.directories[pack::kSecurityDirectory].size;
    return true;
}

uint32_t ReadLe32(const Bytes& bytes, size_t offset)
{
    return pack::ReadU32(bytes.data() + offset);
}

void WriteLe32(Bytes& bytes, size_t offset, uint32_t value)
{
    pack::WriteU32(bytes.data() + offset, value);
}

// The checksum of `image` with its own field counted as zero.
uint32_t ComputeChecksum(const Bytes& image, size_t checksumOffset)
{
    static constexpr uint8_t kZeroField[4] = {};
    pack::PeCheckSum sum;
    sum.Add(image.data(), checksumOffset);
    sum.Add(kZeroField, sizeof(kZeroField));
    sum.Add(image.data() + checksumOffset + 4, image.size() - checksumOffset - 4);
    return sum.Finish();
}

constexpr uint8_t kTailMagic[2] = {'B', 'T'};
constexpr size_t kCertificateHeaderSize = 8;  // dwLength, wRevision, wCertificateType
constexpr size_t kCertificateAlignment = 8;

// Where the tag-free file ends and, in a signed file, which certificate entry holds the tag.
struct TagSite {
    size_t contentEnd = 0;  // bytes before this are kept
    bool inCertificateTable = false;
    size_t entryOffset = 0;  // the last certificate entry (signed files)
};

// The length of the DER element at `offset`, header included; 0 when it is not a definite-length
// SEQUENCE that fits in `available` bytes.
size_t DerElementSize(const Bytes& bytes, size_t offset, size_t available)
{
    if (available < 2 || bytes[offset] != 0x30)
        return 0;
    const uint8_t first = bytes[offset + 1];
    size_t header = 2;
    size_t length = first;
    if (first & 0x80) {
        const size_t count = first & 0x7F;
        if (count == 0 || count > 4 || available < 2 + count)
            return 0;
        length = 0;
        for (size_t i = 0; i < count; ++i)
            length = (length << 8) | bytes[offset + 2 + i];
        header += count;
    }
    if (length > available - header)
        return 0;
    return header + length;
}

// Finds where the signature of the last certificate entry ends.
bool FindSignedSite(const Bytes& image, const PeLayout& layout, TagSite& site, std::string& error)
{
    const size_t tableStart = layout.certificateTableOffset;
    const size_t tableEnd = tableStart + layout.certificateTableSize;
    if (tableEnd != image.size()) {
        error = "the certificate table does not end at the end of the file; cannot place a tag after it";
        return false;
    }
    size_t entry = tableStart;
    size_t lastEntry = tableStart;
    while (entry < tableEnd) {
        const size_t length = tableEnd - entry >= kCertificateHeaderSize ? ReadLe32(image, entry) : 0;
        if (length < kCertificateHeaderSize || length > tableEnd - entry) {
            error = "the certificate table is malformed";
            return false;
        }
        lastEntry = entry;
        entry += static_cast<size_t>(pack::AlignUp(length, kCertificateAlignment));
    }
    const size_t entryLength = ReadLe32(image, lastEntry);
    const size_t signatureSize = DerElementSize(image, lastEntry + kCertificateHeaderSize,
                                                entryLength - kCertificateHeaderSize);
    if (signatureSize == 0) {
        error = "the certificate entry does not hold a signature this tool understands";
        return false;
    }
    site.inCertificateTable = true;
    site.entryOffset = lastEntry;
    site.contentEnd = lastEntry + kCertificateHeaderSize + signatureSize;
    return true;
}

// An unsigned file's earlier tag is recognised by the tool's tail and the marker before the data.
size_t FindUnsignedContentEnd(const Bytes& image)
{
    const size_t size = image.size();
    if (size < Embedded::kMarkerSize + 1 + Embedded::kTailSize)
        return size;
    const size_t tail = size - Embedded::kTailSize;
    if (!std::equal(std::begin(kTailMagic), std::end(kTailMagic), image.begin() + tail))
        return size;
    const size_t dataSize = ReadLe32(image, tail + 2);
    if (dataSize == 0 || dataSize > Embedded::kMaxDataSize || dataSize + Embedded::kMarkerSize > tail)
        return size;
    const size_t marker = tail - dataSize - Embedded::kMarkerSize;
    if (!std::equal(std::begin(Embedded::kMarker), std::end(Embedded::kMarker), image.begin() + marker))
        return size;
    return marker;
}

bool FindTagSite(const Bytes& image, PeLayout& layout, TagSite& site, std::string& error)
{
    if (!ReadPeLayout(image, layout, error))
        return false;
    if (layout.IsSigned())
        return FindSignedSite(image, layout, site, error);
    site.contentEnd = FindUnsignedContentEnd(image);
    return true;
}

bool CheckInfo(const Bytes& info, std::string& error)
{
    if (info.empty()) {
        error = "the information is empty; the stub needs at least one byte";
        return false;
    }
    if (info.size() > Embedded::kMaxDataSize) {
        error = "the information has " + std::to_string(info.size()) + " bytes; at most " +
                std::to_string(Embedded::kMaxDataSize) + " fit";
        return false;
    }
    const auto marker = std::search(info.begin(), info.end(), std::begin(Embedded::kMarker), std::end(Embedded::kMarker));
    if (marker != info.end()) {
        error = "the information holds the marker \"MRDC\" at byte " + std::to_string(marker - info.begin()) +
                "; the stub would take only what follows it";
        return false;
    }
    return true;
}

// Cuts `image` back to the site's content and appends `block` (possibly empty), padding first
// so that a certificate entry stays a multiple of 8 bytes; then fixes the table's sizes and the
// checksum.
void Rebuild(Bytes& image, const PeLayout& layout, const TagSite& site, const Bytes& block)
{
    const bool hadChecksum = ReadLe32(image, layout.checksumOffset) != 0;
    image.resize(site.contentEnd);
    if (site.inCertificateTable) {
        const size_t entryLength = site.contentEnd - site.entryOffset + block.size();
        const size_t padding = static_cast<size_t>(pack::AlignUp(entryLength, kCertificateAlignment)) - entryLength;
        image.resize(site.contentEnd + padding, 0);
    }
    image.insert(image.end(), block.begin(), block.end());
    if (site.inCertificateTable) {
        WriteLe32(image, site.entryOffset, static_cast<uint32_t>(image.size() - site.entryOffset));
        WriteLe32(image, layout.securityDirectoryOffset + 4,
                  static_cast<uint32_t>(image.size() - layout.certificateTableOffset));
    }
    if (hadChecksum)
        WriteLe32(image, layout.checksumOffset, ComputeChecksum(image, layout.checksumOffset));
}

Bytes BuildBlock(const Bytes& info)
{
    Bytes block;
    block.reserve(Embedded::kMarkerSize + info.size() + Embedded::kTailSize);
    block.insert(block.end(), std::begin(Embedded::kMarker), std::end(Embedded::kMarker));
    block.insert(block.end(), info.begin(), info.end());
    block.insert(block.end(), std::begin(kTailMagic), std::end(kTailMagic));
    block.resize(block.size() + 4);
    WriteLe32(block, block.size() - 4, static_cast<uint32_t>(info.size()));
    return block;
}

// The stub's own rule must find exactly `info` in the result.
bool StubFindsInfo(const Bytes& image, const Bytes& info)
{
    const Embedded::ScanResult found = Embedded::ScanFileImage(image.data(), image.size());
    if (found.outcome != Embedded::ScanOutcome::Found || found.dataSize != info.size())
        return false;
    const size_t dataStart = image.size() - Embedded::kWindowOffsetFromEnd + found.dataIndex;
    return std::equal(info.begin(), info.end(), image.begin() + dataStart);
}

} // namespace

bool ApplyTag(Bytes& image, const Bytes& info, std::string& error)
{
    PeLayout layout;
    TagSite site;
    if (!CheckInfo(info, error) || !FindTagSite(image, layout, site, error))
        return false;
    Bytes tagged = image;
    Rebuild(tagged, layout, site, BuildBlock(info));
    if (!Embedded::IsLargeEnoughToScan(tagged.size())) {
        error = "the tagged file would have " + std::to_string(tagged.size()) +
                " bytes; the stub looks for a tag only in files larger than " +
                std::to_string(Embedded::kWindowSize) + " bytes";
        return false;
    }
    if (!StubFindsInfo(tagged, info)) {
        error = "the stub would not find the information in the tagged file";
        return false;
    }
    image.swap(tagged);
    return true;
}

bool RemoveTag(Bytes& image, bool& removed, std::string& error)
{
    PeLayout layout;
    TagSite site;
    if (!FindTagSite(image, layout, site, error))
        return false;
    Bytes untagged = image;
    Rebuild(untagged, layout, site, Bytes{});
    removed = untagged != image;
    image.swap(untagged);
    return true;
}
