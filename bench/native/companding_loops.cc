// The textbook G.711 loops the companding functions are measured against:
// a segment search by comparison against the segment ends, one sample at a
// time (vectorisation off).
#include <cstdlib>

namespace {
const int kMuSegmentEnd[8] = {0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF};
const int kASegmentEnd[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
}  // namespace

__attribute__((optimize("no-tree-vectorize"))) void textbookLinToMuLaw(const short* src, unsigned char* dst, int n) {
    for (int i = 0; i < n; ++i) {
        int pcm = src[i] >> 2;
        int mask = 0xFF;
        if (pcm < 0) { pcm = -pcm; mask = 0x7F; }
        if (pcm > 8159) pcm = 8159;
        pcm += 33;
        int seg = 0;
        while (seg < 8 && pcm > kMuSegmentEnd[seg]) ++seg;
        dst[i] = seg >= 8 ? (unsigned char)(0x7F ^ mask)
                          : (unsigned char)(((seg << 4) | ((pcm >> (seg + 1)) & 0xF)) ^ mask);
    }
}

__attribute__((optimize("no-tree-vectorize"))) void textbookLinToALaw(const short* src, unsigned char* dst, int n) {
    for (int i = 0; i < n; ++i) {
        int pcm = src[i] >> 3;
        int mask = 0xD5;
        if (pcm < 0) { mask = 0x55; pcm = -pcm - 1; }
        int seg = 0;
        while (seg < 8 && pcm > kASegmentEnd[seg]) ++seg;
        unsigned char a = (unsigned char)(seg >= 8 ? 0x7F : (seg << 4) | ((seg < 2 ? pcm >> 1 : pcm >> seg) & 0xF));
        dst[i] = (unsigned char)(a ^ mask);
    }
}

__attribute__((optimize("no-tree-vectorize"))) void textbookMuLawToLin(const unsigned char* src, short* dst, int n) {
    for (int i = 0; i < n; ++i) {
        const int u = ~src[i] & 0xFF;
        int t = ((u & 0x0F) << 3) + 0x84;
        t <<= (u & 0x70) >> 4;
        dst[i] = (short)((u & 0x80) ? (0x84 - t) : (t - 0x84));
    }
}
