#pragma once
// Channel types of a location processor: which channels are guards, combined or unused. The
// list holds only the abnormal channels under their three-digit keys ("007"); a channel that
// is not listed is Normal. Also the parsing of the channel text the user types to add a
// channel or a range of channels.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TNodePersist;

// Channel types.
constexpr uint8_t ctNormal = 1;
constexpr uint8_t ctGuard = 2;
constexpr uint8_t ctCombined = 3;
constexpr uint8_t ctUnused = 4;

// "Normal", "Guard", "Combined", "Unused" for 1..4; empty text otherwise.
std::string ChannelTypeName(int type);
// The decimal channel number with leading zeros to three digits ("001", "100", "1000").
std::string ChannelKey(int64_t channel);

class TLocChannelTypes {
public:
    struct TItem {
        std::string Key;
        uint8_t Type;
    };

    // Type 1 removes a listed channel; another type (2..4) replaces or adds it. Types outside
    // 1..4 are ignored.
    void SetChannelType(int64_t channel, int type);
    uint8_t GetChannelType(int64_t channel) const;
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    // Items in key order.
    const std::vector<TItem>& Items() const { return FItems; }

    // Child "ITEM" nodes with "Chan" and "TypeChan".
    void SaveToNode(TNodePersist& node) const;
    // Clears the list, then applies every "ITEM" with non-empty integer "Chan" and "TypeChan".
    void LoadFromNode(const TNodePersist& node);

    // Look-up for the hot loop: the type of channel c without building its key.
    uint8_t Lookup(int64_t c) const {
        if (c >= 0 && c < static_cast<int64_t>(FDense.size()))
            return FDense[static_cast<size_t>(c)];
        return FSparse.empty() ? ctNormal : LookupSparse(c);
    }

private:
    void Rebuild();
    uint8_t LookupSparse(int64_t c) const;

    std::vector<TItem> FItems; // sorted by key
    std::vector<uint8_t> FDense;
    std::vector<std::pair<int64_t, uint8_t>> FSparse; // channels outside the dense table
};

// What the "Channel" text of the channel-type dialog asks for.
struct TChannelText {
    enum TKind { ckSingle, ckRange, ckIgnored };
    TKind Kind = ckIgnored;
    int First = 0;
    int Last = 0;
};

// Channel numbers the dialog accepts; ranges are clamped to it.
constexpr int MaxTypedChannel = 128;
constexpr size_t MaxChannelTextLength = 40;

// Whether the edit may hold this text: at most 40 characters, digits and one "-" that does
// not come first.
bool IsChannelTextAcceptable(std::string_view text);
// Parses the trimmed text: a channel number or a range first-last. False with "Empty Channel"
// for an empty text and "Invalid Channel" for a single number above 128 or a text the edit
// would not accept. A range with both numbers and last >= first is clamped to 128; any other
// range is ckIgnored.
bool ParseChannelText(std::string_view text, TChannelText& out, std::string& error);
// Applies a parsed text: one channel or every channel of the range gets the type.
void ApplyChannelText(TLocChannelTypes& types, const TChannelText& text, int type);

} // namespace vorelt
