#pragma once
// Building DiSP message streams byte by byte, and opening them with the driver, for the DiSP
// tests.

#include "drivers/disp/TAEDisp.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vorelt::test {

using TBytes = std::vector<uint8_t>;

inline void PutLE(TBytes& b, uint64_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline TBytes Cat(std::initializer_list<TBytes> parts) {
    TBytes r;
    for (const TBytes& p : parts)
        r.insert(r.end(), p.begin(), p.end());
    return r;
}

inline TBytes Text(const std::string& s, bool zero = true) {
    TBytes b(s.begin(), s.end());
    if (zero) b.push_back(0);
    return b;
}

inline TBytes Time(uint64_t ticks) {
    TBytes b;
    PutLE(b, ticks, 6);
    return b;
}

// One message: LEN, ID, a zero sub-identifier for IDs 40 to 49, the body.
inline TBytes Msg(uint8_t id, const TBytes& body, uint8_t sub = 0) {
    const bool hasSub = id >= 40 && id <= 49;
    TBytes b;
    PutLE(b, body.size() + (hasSub ? 2 : 1), 2);
    b.push_back(id);
    if (hasSub) b.push_back(sub);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline TBytes Product(const std::string& name = "Test System\n\r\x1a") {
    TBytes body;
    PutLE(body, 0x2A8, 2);
    return Msg(41, Cat({body, Text(name)}));
}

// A hardware-setup sub-record.
inline TBytes Sub(uint8_t subID, const TBytes& bytes) {
    TBytes b;
    PutLE(b, bytes.size() + 1, 2);
    b.push_back(subID);
    b.insert(b.end(), bytes.begin(), bytes.end());
    return b;
}

inline TBytes HitList(const TBytes& codes, uint8_t parametrics) {
    TBytes b{static_cast<uint8_t>(codes.size())};
    b.insert(b.end(), codes.begin(), codes.end());
    b.push_back(parametrics);
    return Sub(5, b);
}

inline TBytes PartialPower(uint16_t segments) {
    TBytes b{0};
    PutLE(b, segments, 2);
    for (uint16_t s = 0; s < segments; ++s) {
        PutLE(b, s, 2);
        PutLE(b, s * 10, 2);
        PutLE(b, s * 10 + 9, 2);
    }
    PutLE(b, 0, 2);
    return Sub(109, b);
}

inline TBytes HardwareSetup(std::initializer_list<TBytes> subRecords) {
    TBytes body{0x67, 0};
    for (const TBytes& s : subRecords)
        body.insert(body.end(), s.begin(), s.end());
    return Msg(42, body);
}

// A driver over a file, run through Open, Load and Initialize.
struct TOpenedDisp {
    std::unique_ptr<TAEDisp> Driver = std::make_unique<TAEDisp>();
    TAEListFields Layout;
    TAERecord Record;
    std::string Message;
    bool Ok = false;

    explicit TOpenedDisp(const std::string& fileName) {
        Ok =
            Driver->Open(fileName, Message) && Driver->Load(Message) && Driver->Initialize(Message);
        Driver->GetFields(&Layout);
        Record.BuildForLayout(Layout);
    }
    TAERecord& Read(int32_t pos) {
        TAEPNav nav;
        Driver->ReadRecord(nav, Record, pos);
        return Record;
    }
    TAEField* Field(const char* id) const { return Record.FindByID(id); }
    bool IsNull(const char* id) const { return Field(id)->IsNull(); }
    int64_t Int(const char* id) const { return Field(id)->GetAsInt64(); }
    long double Float(const char* id) const { return Field(id)->GetAsFloat(); }
    std::string Str(const char* id) const { return Field(id)->GetAsString(); }
};

} // namespace vorelt::test
