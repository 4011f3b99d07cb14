// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>

namespace Platform {

// Thrown by a start-up check that ends the program once its message has been
// shown; main() turns it into exit status 1. Library code never calls exit.
class ProgramEnd : public std::exception
{
public:
    const char* what() const noexcept override
    {
        return "The program ends after a failed start-up check.";
    }
};

} // namespace Platform
