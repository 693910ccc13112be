// The adaptive Huffman tree of LZHUF and its constants, shared by the decoder and by the
// encoder of the skin tools so that both sides always agree on the code.
#pragma once

#include <cstdint>

namespace Lzh {

constexpr int N = 4096;      // ring size; positions are modulo N
constexpr int F = 60;        // longest match
constexpr int THRESHOLD = 2; // a match codes at least THRESHOLD + 1 bytes
constexpr int N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned MAX_FREQ = 0x8000;
constexpr int RingStart = N - F; // first write position; the ring before it holds blanks

// Upper six bits of a match position, by the first byte of its code, and the code's length.
struct TPositionTables {
    std::uint8_t Code[256];
    std::uint8_t Len[256];
};

constexpr TPositionTables MakePositionTables() {
    TPositionTables t{};
    // Runs of equal values: (how many entries, step of the value) for d_code; d_len alike.
    constexpr int codeRuns[][2] = {{1, 32}, {3, 16}, {8, 8}, {12, 4}, {24, 2}, {16, 1}};
    constexpr int lenRuns[][2] = {{3, 32}, {4, 48}, {5, 64}, {6, 48}, {7, 48}, {8, 16}};
    int i = 0, value = 0;
    for (auto& run : codeRuns)
        for (int v = 0; v < run[0]; ++v, ++value)
            for (int k = 0; k < run[1]; ++k)
                t.Code[i++] = static_cast<std::uint8_t>(value);
    i = 0;
    for (auto& run : lenRuns)
        for (int k = 0; k < run[1]; ++k)
            t.Len[i++] = static_cast<std::uint8_t>(run[0]);
    return t;
}

inline constexpr TPositionTables PositionTables = MakePositionTables();

struct TTree {
    std::uint16_t freq[T + 1];
    std::int16_t prnt[T + N_CHAR];
    std::int16_t son[T];

    void Start() {
        for (int i = 0; i < N_CHAR; ++i) {
            freq[i] = 1;
            son[i] = static_cast<std::int16_t>(i + T);
            prnt[i + T] = static_cast<std::int16_t>(i);
        }
        for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
            freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
            son[j] = static_cast<std::int16_t>(i);
            prnt[i] = prnt[i + 1] = static_cast<std::int16_t>(j);
        }
        freq[T] = 0xFFFF;
        prnt[R] = 0;
    }

    // Halves every leaf frequency and builds the inner nodes again, in sorted order.
    void Rebuild() {
        int j = 0;
        for (int i = 0; i < T; ++i)
            if (son[i] >= T) {
                freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
                son[j] = son[i];
                ++j;
            }
        for (int i = 0, j = N_CHAR; j < T; i += 2, ++j) {
            unsigned f = freq[i] + freq[i + 1];
            int k = j - 1;
            while (k >= 0 && f < freq[k])
                --k;
            ++k;
            for (int m = j; m > k; --m) {
                freq[m] = freq[m - 1];
                son[m] = son[m - 1];
            }
            freq[k] = static_cast<std::uint16_t>(f);
            son[k] = static_cast<std::int16_t>(i);
        }
        for (int i = 0; i < T; ++i) {
            int k = son[i];
            if (k >= T)
                prnt[k] = static_cast<std::int16_t>(i);
            else
                prnt[k] = prnt[k + 1] = static_cast<std::int16_t>(i);
        }
    }

    // Counts one more occurrence of symbol c and keeps the frequencies sorted by swapping
    // nodes on the way to the root.
    void Update(int c) {
        if (freq[R] == MAX_FREQ) Rebuild();
        c = prnt[c + T];
        do {
            unsigned k = ++freq[c];
            if (k > freq[c + 1]) {
                int l = c + 1;
                while (k > freq[l + 1])
                    ++l;
                freq[c] = freq[l];
                freq[l] = static_cast<std::uint16_t>(k);
                int i = son[c];
                prnt[i] = static_cast<std::int16_t>(l);
                if (i < T) prnt[i + 1] = static_cast<std::int16_t>(l);
                int j = son[l];
                son[l] = static_cast<std::int16_t>(i);
                prnt[j] = static_cast<std::int16_t>(c);
                if (j < T) prnt[j + 1] = static_cast<std::int16_t>(c);
                son[c] = static_cast<std::int16_t>(j);
                c = l;
            }
            c = prnt[c];
        } while (c != 0);
    }
};

} // namespace Lzh
