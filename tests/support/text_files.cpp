#include "support/text_files.h"

#include <fstream>
#include <iterator>

#include "support/harness_error.h"

namespace vantile::test {

std::string readTextFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeTextFile(const std::filesystem::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        throw HarnessError("cannot write " + path.string());
    }
}

std::string tailOf(const std::string& text, std::size_t maxChars) {
    if (text.size() <= maxChars) {
        return text;
    }
    return "[...]" + text.substr(text.size() - maxChars);
}

} // namespace vantile::test
