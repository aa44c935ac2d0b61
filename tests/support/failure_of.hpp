// The message of the platform::Failure a command throws, or "(no failure)".
#pragma once

#include <string>

#include "platform/failure.hpp"

template <typename Command>
std::string failure_of(Command command)
{
    try {
        command();
    } catch (const platform::Failure& failure) {
        return failure.what();
    }
    return "(no failure)";
}
