#include "test_support.h"

#include <fstream>
#include <random>

#include "text/cp932.h"
#include "text/utf8.h"

namespace rf::test {

std::string ToCp932(std::string_view utf8) { return Utf8ToCp932(utf8, nullptr); }

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("ranks-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::TempDir(const std::filesystem::path& copyOf) : TempDir() {
    std::filesystem::copy(copyOf, path_, std::filesystem::copy_options::recursive);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempDir::Write(const std::string& relative, std::string_view bytes) const {
    auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempDir::WriteText(const std::string& relative, std::string_view utf8) const { Write(relative, ToCp932(utf8)); }

std::string TempDir::Read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace rf::test
