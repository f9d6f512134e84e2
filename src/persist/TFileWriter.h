#pragma once
// Writing of a new file under a temporary name in the target's folder; Commit renames it over
// the target, so a failed write (a full disk, a quota, an I/O error) never leaves a half-written
// target behind and the old target stays as it was. When the target exists, or when the writer
// is durable, Commit first makes the file durable, so that a crash leaves the old file or the
// new one. The system starts writing the data to the disk as it comes, so that Commit finds
// little left to wait for. Every file the program writes goes through here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TFileWriter {
public:
    // `durable`: Commit always waits for the disk, also for a new name (small files the user
    // keeps: projects, exports, settings, logs); large copies to a new name do as cp does.
    explicit TFileWriter(std::string target, bool durable = false);
    // Removes the temporary file unless committed.
    ~TFileWriter();
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;

    // Each step throws EAEError with the system's text on failure.
    void Open();
    // Appends through a buffer; large blocks go to the file straight from `data`.
    void Write(const void* data, size_t size);
    // Appends `size` bytes from `offset` of the open file `fd`, copied inside the system where
    // it can (as cp does), else through the buffer.
    void CopyFrom(int fd, uint64_t offset, uint64_t size);
    // Writes over (or past) what is already written, at `at`; appending goes on at the end.
    void WriteAt(uint64_t at, const void* data, size_t size);
    void CopyAt(int fd, uint64_t offset, uint64_t size, uint64_t at);
    // Cuts the file to `size` bytes; appending goes on from there.
    void Truncate(uint64_t size);
    void Commit();
    // Writes out what the buffer holds, so that a reader of TempName sees every byte written.
    void Flush();

    // Bytes of the file, buffered ones included.
    uint64_t Written() const { return FWritten; }
    const std::string& TempName() const { return FTemp; }
    // Whether Commit waited for the disk (it replaced an existing file).
    bool Synced() const { return FSynced; }

private:
    void WriteFully(const uint8_t* data, size_t size, uint64_t at);
    // Starts the disk writes of the bytes appended since the last start, once there are enough.
    void StartWriteback();
    bool TargetExists() const;
    // Copies `size` bytes from `offset` of `fd` to `at`; `append`: at the end, starting the disk
    // writes as it goes.
    void CopyRange(int fd, uint64_t offset, uint64_t size, uint64_t at, bool append);

    std::string FTarget;
    std::string FTemp;
    int FFd = -1;
    bool FDurable = false;
    bool FCommitted = false;
    bool FSynced = false;
    bool FReplacing = false; // the target existed when the copy began
    uint64_t FWritten = 0;   // the file's size once the buffer is flushed
    uint64_t FFlushed = 0;   // where the buffer goes
    uint64_t FStarted = 0;   // bytes before this are being written to the disk
    std::vector<uint8_t> FBuffer;
};

// Writes `bytes` to `fileName` through a durable TFileWriter. False with "Cannot write file
// "NAME": reason" (the system's text); the old file is then untouched and no temporary is left.
bool WriteFileAtomically(const std::string& fileName, std::string_view bytes, std::string& error);

} // namespace vorelt
