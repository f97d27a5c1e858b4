// The tests' reference model for the end-to-end checks: the pictures the programs must show, the pen's
// drawing rules, the colour cycle and the orbit, from the same code the program tests use.
//
//     reference_picture still NAME       a still program's picture (checkerboard, sine_wave, ...)
//     reference_picture glow X Y         mouse_glow's picture around (X, Y)
//     reference_picture pen [NAME]       pen commands from standard input, over a black window or NAME:
//                                        color R G B | pixel V | move DX DY | move_to X Y | line DX DY |
//                                        line_to X Y | box DX DY | dot
//     reference_picture hue_cycle        the 256 colours of the cycle, one a line
//     reference_picture orbit N          where the circling dot stands at phases 0 to N - 1, "X Y" a line
//
// A picture is written as a line "WIDTH HEIGHT" and then its pixels, row by row, as 32-bit words in
// this machine's byte order.
#include "program_pictures.hpp"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

using easel::image::picture;
namespace model = easel::model;

const std::map<std::string, std::function<picture()>> still_pictures = {
    {"checkerboard", model::checkerboard},
    {"diagonal_gradient", model::diagonal_gradient},
    {"sine_wave", model::sine_wave},
    {"relative_triangle", model::relative_triangle},
    {"triangle_on_square", model::triangle_on_square},
    {"shaded_triangles", model::shaded_triangles},
    {"concentric_rings", [] { return model::concentric_rings().picture(); }},
};

[[noreturn]] void fail(const std::string& message) {
    std::cerr << "reference_picture: " << message << "\n";
    std::exit(2);
}

picture still(const std::string& name) {
    const auto found = still_pictures.find(name);
    if (found == still_pictures.end()) fail("no still picture called '" + name + "'");
    return found->second();
}

void write(const picture& pic) {
    std::cout << pic.width << " " << pic.height << "\n";
    std::cout.write(reinterpret_cast<const char*>(pic.pixels.data()),
                    static_cast<std::streamsize>(pic.pixels.size() * sizeof pic.pixels[0]));
}

void draw_command(model::pen_picture& pen, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    int a = 0, b = 0, c = 0;
    words >> command >> a >> b >> c;
    if (command == "color") pen.color(a, b, c);
    else if (command == "pixel") pen.set_colour(static_cast<std::uint32_t>(a));
    else if (command == "move") pen.move(a, b);
    else if (command == "move_to") pen.move_to(a, b);
    else if (command == "line") pen.line(a, b);
    else if (command == "line_to") pen.line_to(a, b);
    else if (command == "box") pen.box(a, b);
    else if (command == "dot") pen.dot();
    else if (!command.empty()) fail("unknown pen command '" + line + "'");
}

picture pen_drawing(const std::string& background) {
    model::pen_picture pen = background.empty() ? model::pen_picture(model::window_size, model::window_size)
                                                : model::pen_picture(still(background));
    for (std::string line; std::getline(std::cin, line);) draw_command(pen, line);
    return pen.picture();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    const auto number = [&](int index) { return index < argc ? std::atoi(argv[index]) : 0; };
    if (what == "still" && argc == 3) {
        write(still(argv[2]));
    } else if (what == "glow" && argc == 4) {
        write(model::glow_at(number(2), number(3)));
    } else if (what == "pen" && argc <= 3) {
        write(pen_drawing(argc == 3 ? argv[2] : ""));
    } else if (what == "hue_cycle" && argc == 2) {
        for (int phase = 0; phase < 256; ++phase) std::cout << model::cycle_colour(phase) << "\n";
    } else if (what == "orbit" && argc == 3) {
        for (int phase = 0; phase < number(2); ++phase) {
            const model::point p = model::orbit_point(phase);
            std::cout << p.x << " " << p.y << "\n";
        }
    } else {
        fail("usage: reference_picture still NAME | glow X Y | pen [NAME] | hue_cycle | orbit N");
    }
    return 0;
}
