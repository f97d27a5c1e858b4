// A cursor over one fuzzer input. Reads past the end give zeros, so every input is a whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class fuzz_bytes {
public:
    fuzz_bytes(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    std::uint8_t byte() {
        if (left_ == 0) return 0;
        --left_;
        return *data_++;
    }
    // A T made of the next sizeof(T) bytes in memory order: any bit pattern the type has.
    template <typename T>
    T raw() {
        unsigned char bytes[sizeof(T)] = {};
        for (auto& b : bytes) b = byte();
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t left_;
};
