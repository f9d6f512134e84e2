#include "persist/TTextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace vorelt {

namespace {

// iconv descriptors are not thread-safe; conversions are short, so one lock suffices.
std::mutex& CodecMutex() {
    static std::mutex m;
    return m;
}

iconv_t Open(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    return cd;
}

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Length of the UTF-8 sequence starting with lead byte c (1 for invalid bytes).
size_t Utf8Len(unsigned char c) {
    if (c < 0xC0) return 1;
    if (c < 0xE0) return 2;
    if (c < 0xF0) return 3;
    if (c < 0xF8) return 4;
    return 1;
}

} // namespace

std::string Cp1251ToUtf8(std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return std::string(bytes);
    std::lock_guard<std::mutex> lock(CodecMutex());
    static iconv_t cd = Open("UTF-8", "CP1251");
    std::string out;
    out.reserve(bytes.size() * 2);
    char buf[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char* o = buf;
        size_t oLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, size_t(o - buf));
        if (r == size_t(-1) && errno != E2BIG) {
            // An unassigned byte: keep it as the C1 control of the same number.
            AppendUtf8(out, static_cast<unsigned char>(*in));
            ++in;
            --inLeft;
        }
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view text) {
    bool ascii = true;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return std::string(text);
    std::lock_guard<std::mutex> lock(CodecMutex());
    static iconv_t cd = Open("CP1251", "UTF-8");
    std::string out;
    out.reserve(text.size());
    char buf[4096];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char* o = buf;
        size_t oLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, size_t(o - buf));
        if (r == size_t(-1) && errno != E2BIG) {
            unsigned char c = static_cast<unsigned char>(*in);
            size_t len = Utf8Len(c);
            if (len > inLeft) len = inLeft;
            for (size_t k = 1; k < len; ++k)
                if ((static_cast<unsigned char>(in[k]) & 0xC0) != 0x80) {
                    len = 1;
                    break;
                }
            if (len == 2 && c == 0xC2 && static_cast<unsigned char>(in[1]) == 0x98)
                out += char(0x98);
            else
                out += '?';
            in += len;
            inLeft -= len;
        }
    }
    return out;
}

} // namespace vorelt
