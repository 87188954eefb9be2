// SAPI's ISpVoice, speaking asynchronously. A passing line purges what is
// queued only when no kept line (a battle's message) is still waiting or
// being said: SAPI cannot drop one line of its queue and keep another.
#include "platform/windows/sapi_speech.h"

#include "platform/windows/windows_api.h"

#include <sapi.h>

#include <string>

namespace rf::platform {
namespace {

struct Sapi {
    ISpVoice* voice = nullptr;
    ULONG lastKept = 0;  // the stream number of the last kept line
    std::string language;
};
Sapi sapi;

// SAPI's voices' category; their tokens carry the language as a Windows
// language number.
constexpr const wchar_t* kVoices = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";

// The voices of the game's language `code`: Windows' number for the
// language where it is most spoken ("fr": 40C), in hexadecimal as SAPI
// writes it; an unknown code asks for none, and the default voice speaks.
std::wstring VoicesOf(std::string_view code) {
    const std::wstring name(code.begin(), code.end());
    std::wstring wanted = L"Language=";
    const LCID number = LocaleNameToLCID(name.c_str(), 0);
    for (int shift = 12; shift >= 0; shift -= 4)
        if (number >> shift != 0 || shift == 0) wanted += L"0123456789ABCDEF"[(number >> shift) & 0xF];
    return wanted;
}

void Language(std::string_view code) {
    if (!sapi.voice || code == sapi.language) return;
    sapi.language = code;
    ISpObjectTokenCategory* category = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                reinterpret_cast<void**>(&category))))
        return;
    IEnumSpObjectTokens* tokens = nullptr;
    ISpObjectToken* token = nullptr;
    const std::wstring wanted = VoicesOf(code);
    if (SUCCEEDED(category->SetId(kVoices, FALSE)) &&
        SUCCEEDED(category->EnumTokens(wanted.c_str(), nullptr, &tokens)) && tokens->Next(1, &token, nullptr) == S_OK) {
        sapi.voice->SetVoice(token);  // none of the language: the default voice goes on
        token->Release();
    }
    if (tokens) tokens->Release();
    category->Release();
}

bool Open(std::string_view code, std::string& problem) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(com) && com != RPC_E_CHANGED_MODE) {
        problem = "COM could not be started for speech";
        return false;
    }
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                reinterpret_cast<void**>(&sapi.voice)))) {
        sapi.voice = nullptr;
        problem = "Windows has no speech voice (SAPI)";
        return false;
    }
    sapi.language.clear();
    Language(code);
    return true;
}

void Say(std::string_view cp932, Voice voice) {
    if (!sapi.voice || cp932.empty()) return;
    const int size = static_cast<int>(cp932.size());
    const int wide = MultiByteToWideChar(932, 0, cp932.data(), size, nullptr, 0);
    if (wide <= 0) return;
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), size, text.data(), wide);
    DWORD flags = SPF_ASYNC | SPF_IS_NOT_XML;
    SPVOICESTATUS status{};
    if (voice == Voice::kPassing && SUCCEEDED(sapi.voice->GetStatus(&status, nullptr)) &&
        (sapi.lastKept == 0 || status.ulCurrentStream > sapi.lastKept ||
         (status.ulCurrentStream == sapi.lastKept && status.dwRunningState == SPRS_DONE)))
        flags |= SPF_PURGEBEFORESPEAK;
    ULONG stream = 0;
    if (SUCCEEDED(sapi.voice->Speak(text.c_str(), flags, &stream)) && voice == Voice::kKept) sapi.lastKept = stream;
}

void Close() {
    if (!sapi.voice) return;
    sapi.voice->WaitUntilDone(2000);  // the last words, not cut by the way out
    sapi.voice->Release();
    sapi.voice = nullptr;
}

constexpr Speaker kSpeaker{Open, Say, Language, Close};

}  // namespace

const Speaker& SapiSpeech() { return kSpeaker; }

}  // namespace rf::platform
