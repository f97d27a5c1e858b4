// Feeds arbitrary bytes to easel-replay's script parser: it refuses or accepts them without crashing,
// hanging or growing beyond its limits, and what it accepts ends the input once, as every script does.
#include "script.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace easel::replay;
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const std::vector<step> steps = parse_script(text, "fuzz.replay");
        const auto ends = std::count_if(steps.begin(), steps.end(), [](const step& s) {
            return s.kind == step_kind::close || s.kind == step_kind::await_exit;
        });
        if (steps.size() > most_steps + 1 || ends != 1) __builtin_trap();
    } catch (const script_error& faults) {
        for (const char c : std::string(faults.what())) {  // messages hold no control bytes but their line ends
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && byte != '\n') || byte == 0x7f) __builtin_trap();
        }
    }
    return 0;
}
