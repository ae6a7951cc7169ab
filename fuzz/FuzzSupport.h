// Helpers shared by the fuzz targets: a reader of the fuzzer's bytes that hands out
// small numbers and strings, decoder input and output sides over memory (the input in
// pieces of a size the fuzzer picks, the output with a cap so that a bomb ends the run
// instead of filling memory), and the one loop every decoder target runs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "zip/codec/DecoderIo.h"

namespace zb::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Takes typed values from the front of the fuzzer's input; what is left is the payload.
class FuzzBytes {
public:
    FuzzBytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}

    std::uint8_t u8() {
        if (n_ == 0) return 0;
        --n_;
        return *p_++;
    }
    std::uint16_t u16() { return std::uint16_t(u8() | (unsigned(u8()) << 8)); }
    std::uint32_t u32() { return std::uint32_t(u16() | (std::uint32_t(u16()) << 16)); }
    std::uint64_t u64() { return u32() | (std::uint64_t(u32()) << 32); }
    bool flag() { return u8() & 1; }
    // A string of at most `max` bytes, its length taken first.
    std::string str(std::size_t max) {
        std::size_t len = std::min<std::size_t>(u8() % (max + 1), n_);
        std::string s(reinterpret_cast<const char*>(p_), len);
        p_ += len;
        n_ -= len;
        return s;
    }
    // At most `max` bytes, the length taken first (16 bits).
    Bytes bytes(std::size_t max) {
        std::size_t len = std::min<std::size_t>({std::size_t(u16()), max, n_});
        Bytes b(p_, p_ + len);
        p_ += len;
        n_ -= len;
        return b;
    }
    // Everything that is left.
    Bytes rest() {
        Bytes b(p_, p_ + n_);
        p_ += n_;
        n_ = 0;
        return b;
    }
    std::size_t left() const { return n_; }

private:
    const std::uint8_t* p_;
    std::size_t n_;
};

// Hands out the compressed bytes in pieces of at most `piece` bytes.
class PieceInput : public zip::DecodeInput {
public:
    PieceInput(const std::uint8_t* data, std::size_t size, std::size_t piece)
        : data_(data), size_(size), piece_(piece == 0 ? 1 : piece) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, piece_, size_ - pos_});
        if (n) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t piece_;
    std::size_t pos_ = 0;
};

// What the capped output throws when a decoder goes past its cap.
struct OutputCapReached {};

// Collects decoded bytes up to a cap.
class CappedOutput : public zip::DecodeOutput {
public:
    explicit CappedOutput(std::size_t cap) : cap_(cap) {}
    void write(const std::uint8_t* data, std::size_t size) override {
        if (size > cap_ - bytes.size()) throw OutputCapReached{};
        bytes.insert(bytes.end(), data, data + size);
    }
    Bytes bytes;

private:
    std::size_t cap_;
};

// Piece sizes that matter to block-wise readers: tiny, odd, around the 32 KiB block.
inline std::size_t pieceSize(std::uint8_t selector) {
    static constexpr std::size_t kPieces[] = {1, 2, 3, 7, 16, 100, 4095, 32767, 32768, 32769, SIZE_MAX};
    return kPieces[selector % (sizeof kPieces / sizeof kPieces[0])];
}

// Aborts the run with a message: a property the engine must keep did not hold.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz property failed: %s\n", what);
    std::abort();
}

}  // namespace zb::fuzz

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zb::fuzz {

// A folder of this process's own under the system's temporary folder, removed when
// the process ends normally (a crash leaves it for the post-mortem).
inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        auto p = std::filesystem::temp_directory_path() / ("zbfuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                            ("zbfuzz-" + std::to_string(::getpid())),
                                        ec);
        });
        return p;
    }();
    return folder;
}

inline void writeFile(const std::filesystem::path& p, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (!out) fail("could not write a scratch file");
}

inline Bytes readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zb::fuzz
