#pragma once
// The waveform readers of each format behind IWaveformSource.

#include "drivers/waveform/IWaveformSource.h"
#include "drivers/waveform/TDispWaveforms.h"
#include "drivers/waveform/TVallenTransients.h"

namespace vorelt {

// A Vallen transient database; the index is the TRAI.
class TVallenWaveformSource final : public IWaveformSource {
public:
    explicit TVallenWaveformSource(const std::string& fileName) : FFile(fileName) {}
    const std::string& FileName() const override { return FFile.FileName(); }
    size_t Count() const override { return FFile.Count(); }
    const TWaveformInfo& Info(size_t i) const override { return FFile.Info(i); }
    long long Find(int64_t index) const override { return FFile.FindTrai(index); }
    TVallenTransients& Transients() { return FFile; }

protected:
    bool ReadSamples(size_t i, std::vector<float>& volts, std::string& message) override {
        return FFile.Read(i, volts, message);
    }

private:
    TVallenTransients FFile;
};

// The waveform messages of a DiSP file; the index is the number of the message among the
// file's waveform messages, counted from 0.
class TDispWaveformSource final : public IWaveformSource {
public:
    explicit TDispWaveformSource(const std::string& fileName) : FFile(fileName) {}
    const std::string& FileName() const override { return FFile.FileName(); }
    size_t Count() const override { return FFile.Count(); }
    const TWaveformInfo& Info(size_t i) const override { return FFile.Info(i); }
    long long Find(int64_t index) const override { return FFile.Find(index); }
    TDispWaveforms& Messages() { return FFile; }

protected:
    bool ReadSamples(size_t i, std::vector<float>& volts, std::string& message) override {
        return FFile.Read(i, volts, message);
    }

private:
    TDispWaveforms FFile;
};

} // namespace vorelt
