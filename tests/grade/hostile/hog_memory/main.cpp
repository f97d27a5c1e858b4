// Takes memory and touches it, without end.
#include <cstring>
#include <vector>

int main() {
    std::vector<char*> blocks;
    for (;;) {
        char* block = new char[1 << 20];
        std::memset(block, 1, 1 << 20);
        blocks.push_back(block);
    }
}
