#include "core/texts.h"

#include "core/game_state.h"

namespace rf {

std::string_view TextIn(int in, TextId id) {
    const int n = static_cast<int>(id);
    if (n < 0 || n >= kTextCount) return {};
    if (in < 0 || in >= kLanguageCount) in = 0;
    const std::string_view text = kCatalogue[in][n];
    return text.empty() ? kCatalogue[kSourceLanguage][n] : text;
}

std::string_view Text(TextId id) { return TextIn(language, id); }

int LanguageIndex(std::string_view code) {
    for (int i = 0; i < kLanguageCount; ++i)
        if (kLanguageCodes[i] == code) return i;
    return -1;
}

std::string KnownLanguages() {
    std::string out;
    for (std::string_view code : kLanguageCodes) out += (out.empty() ? "" : ", ") + std::string(code);
    return out;
}

}  // namespace rf
