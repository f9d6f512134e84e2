#include "drivers/waveform/TFlacBlob.h"

#include <FLAC/stream_decoder.h>

#include <cstring>
#include <memory>

namespace vorelt {

namespace {

struct TBlobState {
    const uint8_t* Data;
    size_t Size;
    size_t Pos = 0;
    size_t MaxSamples;
    std::vector<int32_t>* Samples;
    std::string Reason;
};

FLAC__StreamDecoderReadStatus ReadBytes(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                        size_t* bytes, void* client) {
    auto* s = static_cast<TBlobState*>(client);
    const size_t left = s->Size - s->Pos;
    if (left == 0) {
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }
    const size_t n = std::min(*bytes, left);
    std::memcpy(buffer, s->Data + s->Pos, n);
    s->Pos += n;
    *bytes = n;
    return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderWriteStatus WriteFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                          const FLAC__int32* const buffer[], void* client) {
    auto* s = static_cast<TBlobState*>(client);
    if (frame->header.channels != 1) {
        s->Reason = "the waveform has " + std::to_string(frame->header.channels) + " channels";
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const size_t n = frame->header.blocksize;
    if (s->Samples->size() + n > s->MaxSamples) {
        s->Reason = "the compressed waveform holds more samples than its record says";
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    s->Samples->insert(s->Samples->end(), buffer[0], buffer[0] + n);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* client) {
    auto* s = static_cast<TBlobState*>(client);
    // The decoder would skip a damaged frame and go on; a waveform with a hole is refused.
    if (s->Reason.empty())
        s->Reason = std::string("damaged compressed data (") +
                    FLAC__StreamDecoderErrorStatusString[status] + ")";
}

struct TDecoderDeleter {
    void operator()(FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete(d); }
};

} // namespace

bool DecodeFlacBlob(const uint8_t* data, size_t size, size_t maxSamples,
                    std::vector<int32_t>& samples, std::string& reason) {
    samples.clear();
    std::unique_ptr<FLAC__StreamDecoder, TDecoderDeleter> decoder(FLAC__stream_decoder_new());
    if (!decoder) {
        reason = "no memory for the FLAC decoder";
        return false;
    }
    TBlobState state{data, size, 0, maxSamples, &samples, {}};
    // The stream's MD5 is checked where present, so that a changed sample is found too.
    FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    if (FLAC__stream_decoder_init_stream(decoder.get(), ReadBytes, nullptr, nullptr, nullptr,
                                         nullptr, WriteFrame, nullptr, Error,
                                         &state) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        reason = "the FLAC decoder cannot start";
        return false;
    }
    const bool ok = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
    const FLAC__StreamDecoderState st = FLAC__stream_decoder_get_state(decoder.get());
    const bool md5 = FLAC__stream_decoder_finish(decoder.get());
    if (!state.Reason.empty()) {
        reason = state.Reason;
        return false;
    }
    if (!ok || st != FLAC__STREAM_DECODER_END_OF_STREAM) {
        reason =
            std::string("damaged compressed data (") + FLAC__StreamDecoderStateString[st] + ")";
        return false;
    }
    if (!md5) {
        reason = "the compressed data does not match its checksum";
        return false;
    }
    return true;
}

} // namespace vorelt
