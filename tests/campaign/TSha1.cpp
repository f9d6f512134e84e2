#include "TSha1.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace vorelt::test {

namespace {

uint32_t Rotl(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

} // namespace

std::string Sha1(const std::string& bytes) {
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string m = bytes;
    const uint64_t bits = static_cast<uint64_t>(bytes.size()) * 8;
    m.push_back(static_cast<char>(0x80));
    while (m.size() % 64 != 56)
        m.push_back('\0');
    for (int i = 7; i >= 0; --i)
        m.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    for (size_t block = 0; block < m.size(); block += 64) {
        uint32_t w[80];
        for (int i = 0; i < 16; ++i) {
            const auto* p = reinterpret_cast<const unsigned char*>(m.data() + block + 4 * i);
            w[i] = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
        }
        for (int i = 16; i < 80; ++i)
            w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            uint32_t f, k;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDC;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6;
            }
            const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = Rotl(b, 30);
            b = a;
            a = t;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint32_t v : h)
        for (int i = 7; i >= 0; --i)
            out.push_back(digits[(v >> (4 * i)) & 0xF]);
    return out;
}

std::string Sha1OfFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return {};
    return Sha1(std::string(std::istreambuf_iterator<char>(in), {}));
}

} // namespace vorelt::test
