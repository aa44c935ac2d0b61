// The program's version, as both programs print it for --version.
#pragma once

namespace norms {

inline constexpr const char* VersionLine = "Vornak " VORNAK_VERSION;

}  // namespace norms
