#include "processing/location/TLocChannelTypes.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>

namespace vorelt {

namespace {

// Channels below this number are looked up in a table; higher ones (rare) by search.
constexpr int64_t DenseLimit = 4096;

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Decimal digits to a number that saturates instead of overflowing; -1 for no digits.
int64_t ReadNumber(std::string_view digits) {
    if (digits.empty()) return -1;
    int64_t n = 0;
    for (char ch : digits) {
        n = n * 10 + (ch - '0');
        if (n > 1000000000) n = 1000000000;
    }
    return n;
}

} // namespace

std::string ChannelTypeName(int type) {
    switch (type) {
    case ctNormal:
        return "Normal";
    case ctGuard:
        return "Guard";
    case ctCombined:
        return "Combined";
    case ctUnused:
        return "Unused";
    default:
        return {};
    }
}

std::string ChannelKey(int64_t channel) {
    const bool negative = channel < 0;
    std::string digits = IntToStr(negative ? -channel : channel);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

void TLocChannelTypes::SetChannelType(int64_t channel, int type) {
    if (type < ctNormal || type > ctUnused) return;
    const std::string key = ChannelKey(channel);
    auto it =
        std::lower_bound(FItems.begin(), FItems.end(), key,
                         [](const TItem& item, const std::string& k) { return item.Key < k; });
    const bool listed = it != FItems.end() && it->Key == key;
    if (listed) {
        if (type == ctNormal)
            FItems.erase(it);
        else
            it->Type = static_cast<uint8_t>(type);
    } else if (type != ctNormal) {
        FItems.insert(it, TItem{key, static_cast<uint8_t>(type)});
    }
    Rebuild();
}

uint8_t TLocChannelTypes::GetChannelType(int64_t channel) const {
    const std::string key = ChannelKey(channel);
    auto it =
        std::lower_bound(FItems.begin(), FItems.end(), key,
                         [](const TItem& item, const std::string& k) { return item.Key < k; });
    return it != FItems.end() && it->Key == key ? it->Type : ctNormal;
}

void TLocChannelTypes::Clear() {
    FItems.clear();
    Rebuild();
}

void TLocChannelTypes::Rebuild() {
    FDense.clear();
    FSparse.clear();
    for (const TItem& item : FItems) {
        int64_t c = 0;
        if (!TryStrToInt64(item.Key, c)) continue;
        if (c >= 0 && c < DenseLimit) {
            if (FDense.size() <= static_cast<size_t>(c))
                FDense.resize(static_cast<size_t>(c) + 1, ctNormal);
            FDense[static_cast<size_t>(c)] = item.Type;
        } else {
            FSparse.emplace_back(c, item.Type);
        }
    }
    std::sort(FSparse.begin(), FSparse.end());
}

uint8_t TLocChannelTypes::LookupSparse(int64_t c) const {
    auto it = std::lower_bound(FSparse.begin(), FSparse.end(), std::make_pair(c, uint8_t(0)));
    return it != FSparse.end() && it->first == c ? it->second : ctNormal;
}

void TLocChannelTypes::SaveToNode(TNodePersist& node) const {
    for (const TItem& item : FItems) {
        TNodePersist* n = node.AddNode("ITEM");
        n->AddItem("Chan", item.Key);
        n->AddItem("TypeChan", IntToStr(item.Type));
    }
}

void TLocChannelTypes::LoadFromNode(const TNodePersist& node) {
    FItems.clear();
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist* item = node.Node(i);
        if (!SameText(item->Name(), "ITEM")) continue;
        const std::string chan = item->GetValue("Chan");
        const std::string type = item->GetValue("TypeChan");
        if (chan.empty() || type.empty()) continue;
        // A damaged item is skipped rather than failing the whole project.
        int64_t c = 0;
        int32_t t = 0;
        if (!TryStrToInt64(chan, c) || !TryStrToInt(type, t)) continue;
        SetChannelType(c, t);
    }
    Rebuild();
}

bool IsChannelTextAcceptable(std::string_view text) {
    if (text.size() > MaxChannelTextLength) return false;
    int dashes = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '-') {
            if (i == 0 || ++dashes > 1) return false;
        } else if (!IsDigit(ch)) {
            return false;
        }
    }
    return true;
}

bool ParseChannelText(std::string_view text, TChannelText& out, std::string& error) {
    out = TChannelText();
    const std::string s = Trim(text);
    if (s.empty()) {
        error = "Empty Channel";
        return false;
    }
    if (!IsChannelTextAcceptable(s)) {
        error = "Invalid Channel";
        return false;
    }
    const size_t dash = s.find('-');
    if (dash == std::string::npos) {
        const int64_t n = ReadNumber(s);
        if (n > MaxTypedChannel) {
            error = "Invalid Channel";
            return false;
        }
        out.Kind = TChannelText::ckSingle;
        out.First = out.Last = static_cast<int>(n);
        return true;
    }
    const int64_t first = ReadNumber(std::string_view(s).substr(0, dash));
    const int64_t last = ReadNumber(std::string_view(s).substr(dash + 1));
    if (first >= 0 && last >= 0 && last >= first) {
        out.Kind = TChannelText::ckRange;
        out.First = static_cast<int>(std::min<int64_t>(first, MaxTypedChannel));
        out.Last = static_cast<int>(std::min<int64_t>(last, MaxTypedChannel));
    }
    return true;
}

void ApplyChannelText(TLocChannelTypes& types, const TChannelText& text, int type) {
    if (text.Kind == TChannelText::ckIgnored) return;
    for (int c = text.First; c <= text.Last; ++c)
        types.SetChannelType(c, type);
}

} // namespace vorelt
