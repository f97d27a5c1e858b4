// Draws the square, but first looks for what it should not see and tries to write outside its
// directory; a click starts processes without end.
#include "graphics.hpp"

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>

using namespace easel;

void show_first_line(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::cout << path << ": " << (std::getline(file, line) ? line : "cannot read") << "\n";
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Every source, picture and script it can find outside its own directory.
void search(const std::string& dir) {
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) return;
    while (dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name, path = (dir == "/" ? "" : dir) + "/" + name;
        if (name == "." || name == ".." || path == "/proc" || path == "/sys" || path == "/usr" || path == "/box") continue;
        if (entry->d_type == DT_DIR) search(path);
        else if (ends_with(name, ".cpp") || ends_with(name, ".png") || ends_with(name, ".replay")) show_first_line(path);
    }
    closedir(listing);
}

int main() {
    for (const char* path : {"/etc/passwd", "../correct/main.cpp", "../../solution/main.cpp", "../../tests/square.png"})
        show_first_line(path);
    search("/");
    for (const char* path : {"/escaped.txt", "../escaped.txt", "/usr/escaped.txt"}) {
        std::ofstream file(path);
        std::cout << "writing " << path << ": " << ((file << "escaped\n") ? "done" : "refused") << "\n";
    }
    std::cout.flush();

    gout.open(200, 200);
    gout << move_to(90, 90) << color(255, 0, 0) << box(19, 19) << refresh;
    for (event ev; gin >> ev;)
        if (ev.button == btn_left)
            for (;;) fork();
}
