#include "platform/model/key_decoder.h"

#include "platform/keys.h"
#include "text/utf8.h"

namespace rf::platform {
namespace {

using namespace keys;
constexpr int kFunction = kFunctionPrefix;
constexpr int kPgUp = kPageUp, kPgDn = kPageDown, kIns = kInsert, kDel = kDelete;
// Longer "sequences" are junk: drop them rather than hold input forever.
constexpr std::size_t kMaxParams = 16;

int ArrowOrEdge(unsigned char final) {
    switch (final) {
        case 'A': return kUp;
        case 'B': return kDown;
        case 'C': return kRight;
        case 'D': return kLeft;
        case 'H': return kHome;
        case 'F': return kEnd;
        default: return -1;
    }
}

// The first number of a parameter string such as "15;2".
int FirstParam(const std::string& params) {
    int n = 0;
    bool any = false;
    for (char c : params) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        any = true;
        if (n > 1000) return -1;
    }
    return any ? n : -1;
}

}  // namespace

void KeyDecoder::Feed(std::string_view bytes, std::int64_t nowMs) {
    for (char c : bytes) Byte(static_cast<unsigned char>(c));
    if (!bytes.empty()) lastByteMs_ = nowMs;
}

void KeyDecoder::Tick(std::int64_t nowMs) {
    if (mode_ == Mode::Ground || nowMs - lastByteMs_ < kEscapeTimeoutMs) return;
    // A lone ESC is the Escape key; a sequence cut short is dropped.
    if (mode_ == Mode::Escape) Push(kEscape);
    mode_ = Mode::Ground;
    params_.clear();
    utf8Left_ = 0;
}

std::int64_t KeyDecoder::MsUntilSettled(std::int64_t nowMs) const {
    if (mode_ == Mode::Ground) return -1;
    std::int64_t left = lastByteMs_ + kEscapeTimeoutMs - nowMs;
    return left > 0 ? left : 0;
}

bool KeyDecoder::HasKey() {
    // Typed text waits in the queue until the reader says whether it takes
    // it: text and the key that asks for it may come in one read.
    while (!takeText_ && !codes_.empty() && codes_.front() >= kTypedCharacter) codes_.pop_front();
    return !codes_.empty();
}

int KeyDecoder::NextKey() {
    if (!HasKey()) return -1;
    int code = codes_.front();
    codes_.pop_front();
    return code;
}

bool KeyDecoder::TakeInterrupt() {
    bool was = interrupt_;
    interrupt_ = false;
    return was;
}

bool KeyDecoder::TakeSuspend() {
    bool was = suspend_;
    suspend_ = false;
    return was;
}

std::optional<KeyDecoder::CursorReport> KeyDecoder::TakeCursorReport() {
    std::optional<CursorReport> was = report_;
    report_.reset();
    return was;
}

std::optional<int> KeyDecoder::TakeTerminalKind() {
    std::optional<int> was = kind_;
    kind_.reset();
    return was;
}

void KeyDecoder::Clear() {
    const bool text = takeText_;
    *this = KeyDecoder{};
    takeText_ = text;
}

void KeyDecoder::Byte(unsigned char b) {
    switch (mode_) {
        case Mode::Ground: Ground(b); return;
        case Mode::Escape:
            if (b == '[') {
                mode_ = Mode::Csi;
                params_.clear();
            } else if (b == 'O') {
                mode_ = Mode::Ss3;
            } else if (b != 0x1B) {
                // Alt+key: no key of the game's, and above all no Escape,
                // which would open the menu. Control bytes (Ctrl+C) still act.
                mode_ = Mode::Ground;
                if (b < 0x20 || b >= 0x80) Ground(b);
            }
            // A second ESC at once begins again (Alt with an arrow, ESC ESC [ A).
            return;
        case Mode::Csi:
            if (b == '[' && params_.empty()) {
                mode_ = Mode::CsiBracket;  // the Linux console's F1 to F5
                return;
            }
            if (b >= 0x20 && b <= 0x3F) {
                params_ += static_cast<char>(b);
                if (params_.size() > kMaxParams) mode_ = Mode::Skip;
                return;
            }
            mode_ = Mode::Ground;
            if (b >= 0x40 && b <= 0x7E) {
                FinishCsi(b);
            } else {
                Ground(b);  // a control byte or ESC breaks the sequence off
            }
            return;
        case Mode::CsiBracket:
            mode_ = Mode::Ground;
            if (b >= 'A' && b <= 'E') Pair(kFunction, kF1 + (b - 'A'));
            else if (b < 0x20 || b >= 0x7F) Ground(b);
            return;
        case Mode::Ss3:
            mode_ = Mode::Ground;
            if (b >= 0x40 && b <= 0x7E) FinishSs3(b);
            else Ground(b);
            return;
        case Mode::Skip:
            if (b >= 0x20 && b <= 0x3F) return;
            mode_ = Mode::Ground;
            if (b < 0x20 || b > 0x7E) Ground(b);
            return;
        case Mode::Utf8:
            if ((b & 0xC0) == 0x80) {
                utf8_ += static_cast<char>(b);
                if (--utf8Left_ == 0) TakeCharacter();
                return;
            }
            mode_ = Mode::Ground;
            Ground(b);
            return;
    }
}

void KeyDecoder::Ground(unsigned char b) {
    bool wasCr = afterCr_;
    afterCr_ = false;
    if (b == 0x1B) {
        mode_ = Mode::Escape;
        return;
    }
    if (b == '\r') {
        afterCr_ = true;
        Push(13);
        return;
    }
    if (b == '\n') {
        if (!wasCr) Push(13);  // CR LF is one Enter
        return;
    }
    if (b == 3) {
        interrupt_ = true;
        return;
    }
    if (b == 26) {
        suspend_ = true;
        return;
    }
    if (b == 0x7F) {
        Push(kBackspace);  // as the Windows console reads it
        return;
    }
    if (b == 0) return;  // Ctrl+Space: would pose as the function-key prefix
    if (b < 0x80) {
        Push(b);
        return;
    }
    // Text typed through an input method arrives as UTF-8: the game has no
    // use for it, so the whole character is skipped, as are stray bytes.
    const std::size_t length = Utf8Length(b);
    if (length == 0) return;
    utf8Left_ = static_cast<int>(length) - 1;
    utf8_.assign(1, static_cast<char>(b));
    mode_ = Mode::Utf8;
}

void KeyDecoder::TakeCharacter() {
    mode_ = Mode::Ground;
    std::uint32_t codePoint = 0;
    if (DecodeUtf8(utf8_, 0, codePoint) == utf8_.size()) Push(kTypedCharacter + static_cast<int>(codePoint));
    utf8_.clear();
}

// Arrows, Home and End, and F1 to F4 end both kinds of sequence alike.
bool KeyDecoder::FinishArrowOrF1ToF4(unsigned char final) {
    int key = ArrowOrEdge(final);
    if (key >= 0) {
        Pair(kPrefix, key);
        return true;
    }
    if (final >= 'P' && final <= 'S') {
        // ESC O P, or xterm's F1 to F4 with a modifier: ESC [ 1 ; 2 P
        Pair(kFunction, kF1 + (final - 'P'));
        return true;
    }
    return false;
}

void KeyDecoder::FinishCsi(unsigned char final) {
    const std::size_t semicolon = params_.find(';');
    if (final == 'R' && FirstParam(params_) > 1 && semicolon != std::string::npos) {
        report_ = CursorReport{FirstParam(params_), FirstParam(params_.substr(semicolon + 1))};
        return;
    }
    if (final == 'c' && params_.starts_with('>')) {
        kind_ = FirstParam(params_.substr(1));
        return;
    }
    if (FinishArrowOrF1ToF4(final)) return;
    if (final != '~') return;  // focus reports and the like are not keys
    switch (FirstParam(params_)) {
        case 1:
        case 7: Pair(kPrefix, kHome); return;
        case 2: Pair(kPrefix, kIns); return;
        case 3: Pair(kPrefix, kDel); return;
        case 4:
        case 8: Pair(kPrefix, kEnd); return;
        case 5: Pair(kPrefix, kPgUp); return;
        case 6: Pair(kPrefix, kPgDn); return;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15: Pair(kFunction, kF1 + FirstParam(params_) - 11); return;
        case 17:
        case 18:
        case 19:
        case 20:
        case 21: Pair(kFunction, kF1 + 5 + FirstParam(params_) - 17); return;
        case 23: Pair(kPrefix, kF11); return;
        case 24: Pair(kPrefix, kF12); return;
        default: return;
    }
}

void KeyDecoder::FinishSs3(unsigned char final) {
    if (FinishArrowOrF1ToF4(final)) return;
    // The keypad in application mode: Enter and the characters on its keys.
    if (final == 'M') {
        Push(13);
        return;
    }
    if (final >= 'j' && final <= 'y') {
        Push("*+,-./0123456789"[final - 'j']);
        return;
    }
    if (final == 'X') Push('=');
}

}  // namespace rf::platform
