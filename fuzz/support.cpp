#include "support.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace rf::fuzz {
namespace {

std::string MakeScratchRoot() {
    auto dir = std::filesystem::temp_directory_path() / ("ranks-fuzz-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    return dir.string();
}

const std::string scratchRoot = MakeScratchRoot();

}  // namespace

const std::string& ScratchRoot() { return scratchRoot; }

void WriteScratchFile(const std::string& relative, const std::uint8_t* data, std::size_t size) {
    auto path = std::filesystem::path(scratchRoot) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace rf::fuzz
