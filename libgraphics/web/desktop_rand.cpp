// rand and srand as the desktop's C library computes them, so that a program that never seeds rand
// (or seeds it with a fixed number) shows in the browser exactly what it shows on the desktop.
// An additive feedback generator over 31 words, r[i] = r[i - 31] + r[i - 3], whose words are first
// filled by the linear congruential generator 16807 * x mod (2^31 - 1), run 310 steps ahead.
#include <cstdint>
#include <cstdlib>

namespace {

class desktop_generator {
public:
    explicit desktop_generator(unsigned seed) {
        std::int64_t word = seed == 0 ? 1 : static_cast<std::int32_t>(seed);
        words[0] = static_cast<std::uint32_t>(word);
        for (int i = 1; i < size; ++i) {
            word = (16807 * word) % modulus;
            if (word < 0) word += modulus;
            words[i] = static_cast<std::uint32_t>(word);
        }
        for (int i = 0; i < 10 * size; ++i) next();
    }

    int next() {
        words[front] += words[rear];
        const int result = static_cast<int>(words[front] >> 1);
        front = (front + 1) % size;
        rear = (rear + 1) % size;
        return result;
    }

private:
    static constexpr int size = 31;
    static constexpr std::int64_t modulus = 2147483647;
    std::uint32_t words[size];
    int front = 3;
    int rear = 0;
};

desktop_generator& generator() {
    static desktop_generator single(1);
    return single;
}

}  // namespace

extern "C" {

int rand(void) { return generator().next(); }

void srand(unsigned seed) { generator() = desktop_generator(seed); }
}
