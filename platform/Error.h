#pragma once

#include <stdexcept>
#include <string>

// A failure carrying one of the program's own messages. The message is code page 1250 text,
// like every string inside the program; windows and vemba-cli convert it when they show it.
class VembaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
