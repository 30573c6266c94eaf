#include "FileStamp.h"

#include <cstring>

namespace quillane {

bool FileStamp::operator==(const FileStamp& other) const {
    return Readable == other.Readable && Volume == other.Volume && FileId == other.FileId && Size == other.Size &&
           ModifiedNs == other.ModifiedNs && ContentHash == other.ContentHash;
}

bool SameContents(const FileStamp& a, const FileStamp& b) {
    if (!a.Readable || !b.Readable) return a.Readable == b.Readable;
    return a.Size == b.Size && a.ContentHash == b.ContentHash;
}

namespace {

// One 64-bit word into the state: multiply and fold, so that every input
// bit reaches every state bit within a few words.
std::uint64_t Mix(std::uint64_t state, std::uint64_t word) {
    state ^= word;
    state *= 0xFF51AFD7ED558CCDull;
    state ^= state >> 32;
    return state;
}

std::uint64_t LoadWord(const unsigned char* p) {
    std::uint64_t w = 0;
    for (int i = 7; i >= 0; --i) w = (w << 8) | p[i];  // the same value on every byte order
    return w;
}

}  // namespace

// Words are taken at fixed offsets from the start of the stream, so the
// value does not depend on how the bytes were cut into pieces.
void ContentHasher::Add(const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    FLength += size;
    while (size > 0 && FTailSize > 0) {
        FTail[FTailSize++] = *p++;
        --size;
        if (FTailSize == 8) {
            FState = Mix(FState, LoadWord(FTail));
            FTailSize = 0;
        }
    }
    if (size == 0) return;  // the tail may still wait for more bytes
    for (; size >= 8; p += 8, size -= 8) FState = Mix(FState, LoadWord(p));
    std::memcpy(FTail, p, size);
    FTailSize = size;
}

std::uint64_t ContentHasher::Value() const {
    unsigned char last[8] = {};
    std::memcpy(last, FTail, FTailSize);
    // The length goes in last, so that trailing zero bytes count.
    return Mix(Mix(FState, LoadWord(last)), FLength);
}

}  // namespace quillane
