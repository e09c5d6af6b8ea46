// The x86 branch filter: what it converts, and that decoding gives back the original bytes,
// also when the bytes arrive in pieces that split a branch.
#include "payload/BranchFilter.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Runs a filter over `data` in pieces of `piece` bytes, carrying unexamined bytes over.
Bytes Convert(Bytes data, size_t piece, BranchDirection direction)
{
    X86BranchFilter filter(direction);
    Bytes out;
    Bytes pending;
    for (size_t start = 0; start < data.size(); start += piece) {
        const size_t end = std::min(data.size(), start + piece);
        pending.insert(pending.end(), data.begin() + start, data.begin() + end);
        const bool last = end == data.size();
        const size_t examined = filter.Convert(pending.data(), pending.size());
        const size_t done = last ? pending.size() : examined;
        EXPECT_LE(pending.size() - examined, 4u);
        out.insert(out.end(), pending.begin(), pending.begin() + done);
        pending.erase(pending.begin(), pending.begin() + done);
    }
    return out;
}

// Filters `data` as the piece of a file that starts at `position`.
Bytes ConvertAt(Bytes data, uint32_t position, BranchDirection direction)
{
    X86BranchFilter filter(direction);
    Bytes lead(position + 4, 0x90);
    filter.Convert(lead.data(), lead.size());  // moves the filter to `position`
    filter.Convert(data.data(), data.size());
    return data;
}

TEST(X86BranchFilter, TurnsNearDisplacementsIntoTargetsAndLeavesTheRest)
{
    struct Case {
        const char* what;
        Bytes in;
        uint32_t position;
        Bytes encoded;
    };
    const Case cases[] = {
        {"call +0x10 at 0 targets 0x15", {0xE8, 0x10, 0, 0, 0, 0x90}, 0, {0xE8, 0x15, 0, 0, 0, 0x90}},
        {"jump -8 at file offset 0x100", {0xE9, 0xF8, 0xFF, 0xFF, 0xFF}, 0x100, {0xE9, 0xFD, 0x00, 0, 0}},
        {"far displacement stays", {0xE8, 0, 0, 0, 0x12}, 0, {0xE8, 0, 0, 0, 0x12}},
        {"a target past 16 MiB wraps into the range", {0xE8, 0xFB, 0xFF, 0xFF, 0x00}, 0x10,
         {0xE8, 0x10, 0x00, 0x00, 0xFF}},
        {"other opcodes stay", {0xEA, 0x10, 0, 0, 0, 0xE7, 1, 0, 0, 0}, 0, {0xEA, 0x10, 0, 0, 0, 0xE7, 1, 0, 0, 0}},
        {"too short at the end", {0x90, 0xE8, 1, 0, 0}, 0, {0x90, 0xE8, 1, 0, 0}},
        {"a converted branch's bytes are not examined again", {0xE8, 0xE8, 0, 0, 0, 0xE8, 0, 0, 0, 0}, 0,
         {0xE8, 0xED, 0, 0, 0, 0xE8, 0x0A, 0, 0, 0}},
        {"a branch left alone blocks conversions in its next three bytes",
         {0xE8, 0xE8, 0xE8, 0xE9, 0xF6, 0x01, 0, 0, 0x90, 0xE8, 0, 0, 0, 0}, 0,
         {0xE8, 0xE8, 0xE8, 0xE9, 0xF6, 0x01, 0, 0, 0x90, 0xE8, 0x0E, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const Bytes encoded = ConvertAt(c.in, c.position, BranchDirection::Encode);
        EXPECT_EQ(encoded, c.encoded) << c.what;
        EXPECT_EQ(ConvertAt(encoded, c.position, BranchDirection::Decode), c.in) << c.what << " decodes back";
    }
}

TEST(X86BranchFilter, DecodingUndoesEncodingInAnyPieceSize)
{
    std::mt19937 random(42);
    Bytes data(200000);
    for (uint8_t& byte : data) {
        // Many E8/E9 bytes and many displacements near zero, as in code.
        const uint32_t pick = random() % 8;
        byte = pick == 0 ? 0xE8 : pick == 1 ? 0xE9 : pick == 2 ? 0xFF : pick == 3 ? 0 : static_cast<uint8_t>(random());
    }
    // And sparse branches among data that has none, as in a program's data and debug sections.
    Bytes sparse(100000, 0x41);
    for (size_t at = 3; at + 5 < sparse.size(); at += 97 + (at % 13)) {
        sparse[at] = (at & 1) ? 0xE8 : 0xE9;
        sparse[at + 4] = (at & 2) ? 0xFF : 0x00;
    }
    for (const Bytes& original : {data, sparse}) {
        const Bytes whole = Convert(original, original.size(), BranchDirection::Encode);
        EXPECT_NE(whole, original);
        for (size_t piece : {1u, 2u, 5u, 7u, 9u, 4096u, 65537u}) {
            const Bytes encoded = Convert(original, piece, BranchDirection::Encode);
            EXPECT_EQ(encoded, whole) << "pieces of " << piece << " encode like the whole";
            EXPECT_EQ(Convert(encoded, piece, BranchDirection::Decode), original) << "pieces of " << piece;
        }
    }
}

TEST(X86BranchFilter, ReturnsWhereItStopped)
{
    Bytes data = {0x90, 0x90, 0x90, 0x90, 0x90, 0x90};
    EXPECT_EQ(X86BranchFilter(BranchDirection::Encode).Convert(data.data(), data.size()), 2u);
    Bytes branchAtEnd = {0x90, 0xE8, 1, 0, 0, 0};
    EXPECT_EQ(X86BranchFilter(BranchDirection::Encode).Convert(branchAtEnd.data(), branchAtEnd.size()), 6u);
    EXPECT_EQ(X86BranchFilter(BranchDirection::Decode).Convert(nullptr, 0), 0u);
}

} // namespace
