// Writes files of 32 MB until the disk refuses, then says how much it wrote.
#include <cstdio>
#include <string>
#include <vector>

int main() {
    const std::vector<char> block(1 << 20, 'x');
    long written = 0;
    for (int file = 0;; ++file) {
        std::FILE* out = std::fopen(("fill" + std::to_string(file)).c_str(), "wb");
        if (out == nullptr) break;
        int blocks = 0;
        while (blocks < 32 && std::fwrite(block.data(), 1, block.size(), out) == block.size()) ++blocks;
        written += blocks;
        if (std::fclose(out) != 0 || blocks < 32) break;
    }
    std::printf("disk full after %ld MB\n", written);
    return 1;
}
