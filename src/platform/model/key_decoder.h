// Terminal input bytes to the key codes the game reads, one code per read,
// as the Windows console hands them over: an extended key is a prefix
// (224, or 0 for the function keys) followed by its scan code.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace rf::platform {

class KeyDecoder {
public:
    // Quiet time after which a held ESC counts as the Escape key: long
    // enough that an arrow split by a slow link is still one key.
    static constexpr std::int64_t kEscapeTimeoutMs = 100;

    // Bytes read from the terminal at time nowMs (any clock in milliseconds).
    void Feed(std::string_view bytes, std::int64_t nowMs);
    // Lets a held ESC (or an unfinished sequence) run out once the input
    // has been quiet long enough.
    void Tick(std::int64_t nowMs);
    // Milliseconds until Tick would settle held bytes; -1 when nothing is held.
    std::int64_t MsUntilSettled(std::int64_t nowMs) const;

    bool HasKey();
    // The next code; -1 when there is none.
    int NextKey();

    // Ctrl+C and Ctrl+Z are requests to the backend, not keys.
    bool TakeInterrupt();
    bool TakeSuspend();

    // The terminal's answer to a cursor position question (ESC [ row ;
    // column R), which may come at any time, even long after the question:
    // not a key. F3 with a modifier reads alike but always has row 1.
    struct CursorReport {
        int row, column;
    };
    std::optional<CursorReport> TakeCursorReport();
    // The terminal's kind from its answer to the secondary device
    // attributes question (ESC [ > kind ; version ; ... c): not a key.
    std::optional<int> TakeTerminalKind();

    void Clear();
    // Characters beyond ASCII as keys::kTypedCharacter + code point, where
    // they are otherwise skipped (text typed into the world painter); said
    // when they are read, not when they come.
    void TakeText(bool on) { takeText_ = on; }

private:
    void Byte(unsigned char b);
    void Ground(unsigned char b);
    bool FinishArrowOrF1ToF4(unsigned char final);
    void FinishCsi(unsigned char final);
    void FinishSs3(unsigned char final);
    void TakeCharacter();
    void Push(int code) { codes_.push_back(code); }
    void Pair(int prefix, int scan) {
        codes_.push_back(prefix);
        codes_.push_back(scan);
    }

    enum class Mode { Ground, Escape, Csi, CsiBracket, Ss3, Utf8, Skip };
    Mode mode_ = Mode::Ground;
    std::string params_;
    int utf8Left_ = 0;
    std::string utf8_;  // the character being taken
    bool takeText_ = false;
    bool afterCr_ = false;
    bool interrupt_ = false;
    bool suspend_ = false;
    std::optional<CursorReport> report_;
    std::optional<int> kind_;
    std::int64_t lastByteMs_ = 0;
    std::deque<int> codes_;
};

}  // namespace rf::platform
