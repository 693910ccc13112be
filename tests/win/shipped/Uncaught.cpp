// Throws an exception nothing catches, with the program's own last words linked in.
#include <stdexcept>

int main() {
    throw std::runtime_error("nobody caught this");
}
