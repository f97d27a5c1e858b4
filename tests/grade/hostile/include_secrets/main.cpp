// Asks the compiler to show, in its error messages, every file it should not see.
#if __has_include("/etc/passwd")
#include "/etc/passwd"
#endif
#if __has_include("../correct/main.cpp")
#include "../correct/main.cpp"
#endif
#if __has_include("../../solution/main.cpp")
#include "../../solution/main.cpp"
#endif
#error "nothing to show"
