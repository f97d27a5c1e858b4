// Prints without end.
#include <cstdio>

int main() {
    for (;;) std::fputs("flooding the output\n", stdout);
}
