#include "PlainLzh.h"

#include <memory>

namespace {

constexpr int N = 4096, F = 60, THRESHOLD = 2, N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1, R = T - 1, MAX_FREQ = 0x8000;

struct TPlain {
    const TLZH::TReadProc& Read;
    const TLZH::TWriteProc& Write;
    TPlainStats* Stats;
    std::uint16_t getbuf = 0;
    std::uint8_t getlen = 0;
    std::uint8_t text_buf[N + F - 1];
    bool fresh[N];
    std::uint16_t freq[T + 1];
    std::int16_t prnt[T + N_CHAR];
    std::int16_t son[T];
    std::uint8_t d_code[256];
    std::uint8_t d_len[256];

    TPlain(const TLZH::TReadProc& read, const TLZH::TWriteProc& write, TPlainStats* stats)
        : Read(read), Write(write), Stats(stats) {
        int i = 0;
        auto code = [&](int value, int count) {
            while (count--)
                d_code[i++] = static_cast<std::uint8_t>(value);
        };
        code(0, 32);
        for (int v = 1; v <= 3; ++v)
            code(v, 16);
        for (int v = 4; v <= 11; ++v)
            code(v, 8);
        for (int v = 12; v <= 23; ++v)
            code(v, 4);
        for (int v = 24; v <= 47; ++v)
            code(v, 2);
        for (int v = 48; v <= 63; ++v)
            code(v, 1);
        i = 0;
        auto len = [&](int value, int count) {
            while (count--)
                d_len[i++] = static_cast<std::uint8_t>(value);
        };
        len(3, 32);
        len(4, 48);
        len(5, 64);
        len(6, 48);
        len(7, 48);
        len(8, 16);
    }

    int NextByte() {
        std::uint8_t b = 0;
        std::size_t got = 0;
        Read(&b, 1, got);
        return got == 1 ? b : 0;
    }

    void Refill() {
        while (getlen <= 8) {
            getbuf = static_cast<std::uint16_t>(getbuf | (NextByte() << (8 - getlen)));
            getlen = static_cast<std::uint8_t>(getlen + 8);
        }
    }

    int GetBit() {
        Refill();
        int bit = getbuf >> 15;
        getbuf = static_cast<std::uint16_t>(getbuf << 1);
        --getlen;
        return bit;
    }

    int GetByte() {
        Refill();
        int byte = getbuf >> 8;
        getbuf = static_cast<std::uint16_t>(getbuf << 8);
        getlen = static_cast<std::uint8_t>(getlen - 8);
        return byte;
    }

    void StartHuff() {
        for (int i = 0; i < N_CHAR; ++i) {
            freq[i] = 1;
            son[i] = static_cast<std::int16_t>(i + T);
            prnt[i + T] = static_cast<std::int16_t>(i);
        }
        int i = 0;
        for (int j = N_CHAR; j <= R; ++j) {
            freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
            son[j] = static_cast<std::int16_t>(i);
            prnt[i] = prnt[i + 1] = static_cast<std::int16_t>(j);
            i += 2;
        }
        freq[T] = 0xFFFF;
        prnt[R] = 0;
    }

    void Reconst() {
        if (Stats) ++Stats->Rebuilds;
        int j = 0;
        for (int i = 0; i < T; ++i) {
            if (son[i] >= T) {
                freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
                son[j] = son[i];
                ++j;
            }
        }
        int i = 0;
        for (j = N_CHAR; j < T; ++j) {
            unsigned f = static_cast<unsigned>(freq[i]) + freq[i + 1];
            int k = j - 1;
            while (f < freq[k])
                --k;
            int at = k + 1;
            for (int m = j; m > at; --m) {
                freq[m] = freq[m - 1];
                son[m] = son[m - 1];
            }
            freq[at] = static_cast<std::uint16_t>(f);
            son[at] = static_cast<std::int16_t>(i);
            i += 2;
        }
        for (i = 0; i < T; ++i) {
            int k = son[i];
            prnt[k] = static_cast<std::int16_t>(i);
            if (k < T) prnt[k + 1] = static_cast<std::int16_t>(i);
        }
    }

    void Update(int c) {
        if (freq[R] == MAX_FREQ) Reconst();
        c = prnt[c + T];
        while (true) {
            unsigned k = ++freq[c];
            if (k > freq[c + 1]) {
                int l = c + 1;
                while (l + 1 <= T && freq[l + 1] < k)
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
            if (c == 0) break;
        }
    }

    int DecodeChar() {
        int c = son[R];
        while (c < T)
            c = son[c + GetBit()];
        c -= T;
        Update(c);
        return c;
    }

    int DecodePosition() {
        int i = GetByte();
        int high = d_code[i] << 6;
        for (int j = d_len[i] - 2; j > 0; --j)
            i = ((i << 1) + GetBit()) & 0xFFFF;
        return high | (i & 63);
    }

    void Put(std::uint8_t b) {
        std::size_t written = 0;
        Write(&b, 1, written);
        if (written != 1) throw ElzhException("LZH : Cannot write the decoded data");
    }

    void Run(std::uint32_t size) {
        StartHuff();
        for (int i = 0; i < N - F; ++i)
            text_buf[i] = ' ';
        for (int i = N - F; i < N + F - 1; ++i)
            text_buf[i] = 0;
        for (bool& f : fresh)
            f = true;
        int r = N - F;
        std::uint64_t count = 0;
        while (count < size) {
            int c = DecodeChar();
            if (c < 256) {
                if (Stats) ++Stats->Literals;
                Put(static_cast<std::uint8_t>(c));
                text_buf[r] = static_cast<std::uint8_t>(c);
                fresh[r] = false;
                r = (r + 1) & (N - 1);
                ++count;
            } else {
                if (Stats) ++Stats->Matches;
                int start = (r - DecodePosition() - 1) & (N - 1);
                int length = c - 255 + THRESHOLD;
                for (int k = 0; k < length; ++k) {
                    int from = (start + k) & (N - 1);
                    if (Stats && fresh[from]) ++Stats->InitialRingReads;
                    std::uint8_t b = text_buf[from];
                    Put(b);
                    text_buf[r] = b;
                    fresh[r] = false;
                    r = (r + 1) & (N - 1);
                    ++count;
                }
            }
        }
    }
};

} // namespace

void PlainUnpack(std::uint32_t size, const TLZH::TReadProc& read, const TLZH::TWriteProc& write,
                 TPlainStats* stats) {
    auto state = std::make_unique<TPlain>(read, write, stats);
    state->Run(size);
}

std::vector<std::uint8_t> PlainDecode(const std::vector<std::uint8_t>& stream, std::uint32_t size,
                                      TPlainStats* stats) {
    std::vector<std::uint8_t> out;
    std::size_t at = 0;
    PlainUnpack(
        size,
        [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
            delivered = 0;
            while (delivered < wanted && at < stream.size())
                buffer[delivered++] = stream[at++];
        },
        [&](const std::uint8_t* buffer, std::size_t count, std::size_t& written) {
            out.insert(out.end(), buffer, buffer + count);
            written = count;
        },
        stats);
    return out;
}
