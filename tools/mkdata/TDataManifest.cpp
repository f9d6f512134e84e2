#include "TDataManifest.h"

#include "persist/TNumberFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vorelt {

namespace {

std::string Seconds(int64_t us) {
    return FormatFloat("%.6f", static_cast<long double>(us) / 1e6L);
}

std::string ChannelList(const std::array<bool, 256>& channels) {
    std::string s;
    for (int c = 0; c < 256; ++c) {
        if (!channels[c]) continue;
        if (!s.empty()) s += ' ';
        s += IntToStr(c);
    }
    return s;
}

} // namespace

uint64_t TDataManifest::Records() const {
    uint64_t n = 0;
    for (uint64_t k : Kinds)
        n += k;
    return n;
}

std::string TDataManifest::ToText() const {
    std::string s;
    auto line = [&s](const std::string& key, const std::string& value) {
        s += key;
        s += ": ";
        s += value;
        s += '\n';
    };
    auto num = [&line](const std::string& key, uint64_t v) {
        line(key, IntToStr(static_cast<int64_t>(v)));
    };
    line("format", Format);
    num("seed", Seed);
    num("file_size", FileSize);
    num("header_size", HeaderSize);
    num("records", Records());
    for (int k = 0; k < KindCount; ++k)
        num("kind" + IntToStr(k), Kinds[k]);
    for (int t = 0; t < 256; ++t)
        if (Types[t] != 0) num("type" + IntToStr(t), Types[t]);
    num("hits", Kinds[1]);
    num("member_of_events", MemberOfEvents);
    num("start_time_unix", StartTimeUnix);
    num("stop_time_unix", StopTimeUnix);
    num("setup_channels", static_cast<uint64_t>(SetupChannels));
    line("active_channels", ChannelList(ActiveChannels));
    line("channels", ChannelList(HitChannels));
    num("timed_records", TimedCount);
    line("first_time_s", Seconds(FirstTimeUs));
    line("last_time_s", Seconds(LastTimeUs));
    line("min_time_s", Seconds(MinTimeUs));
    line("max_time_s", Seconds(MaxTimeUs));
    num("out_of_order", TimeDecreases > 0 ? 1 : 0);
    num("time_decreases", TimeDecreases);
    return s;
}

bool TDataManifest::WriteToFile(const std::string& fileName, std::string& error) const {
    const std::string text = ToText();
    errno = 0;
    std::FILE* f = std::fopen(fileName.c_str(), "wb");
    if (!f) {
        error = "Cannot create file " + fileName + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const int err = errno;
    if (std::fclose(f) != 0 || !written) {
        error = "Cannot write file " + fileName + ": " + std::strerror(err ? err : errno);
        return false;
    }
    return true;
}

std::map<std::string, std::string> ParseManifestText(std::string_view text) {
    std::map<std::string, std::string> values;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view row = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
        const size_t colon = row.find(": ");
        if (colon == std::string_view::npos) continue;
        values[std::string(row.substr(0, colon))] = std::string(row.substr(colon + 2));
    }
    return values;
}

} // namespace vorelt
