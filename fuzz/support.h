// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rf::fuzz {

// A private scratch directory, made once per process, used as the data root.
const std::string& ScratchRoot();
// Writes the bytes to a file below the scratch root.
void WriteScratchFile(const std::string& relative, const std::uint8_t* data, std::size_t size);

}  // namespace rf::fuzz
