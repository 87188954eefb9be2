// Speech Dispatcher's client library (libspeechd), opened with dlopen so
// the game runs, and builds, where it is not installed. The few calls are
// declared here as the library exports them; SPEECHD_ADDRESS chooses the
// server as for any of its clients.
#include "platform/posix/speech_dispatcher.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "text/cp932.h"

namespace rf::platform {
namespace {

struct Connection;
// SPDPriority: a message waits for the one being said; a text is dropped
// by the next one.
constexpr int kPriorityMessage = 2;
constexpr int kPriorityText = 3;
constexpr int kModeSingle = 0;  // no thread of the library's own

struct Library {
    void* handle = nullptr;
    Connection* (*open)(const char*, const char*, const char*, int) = nullptr;
    int (*say)(Connection*, int, const char*) = nullptr;
    int (*setLanguage)(Connection*, const char*) = nullptr;
    void (*close)(Connection*) = nullptr;
    Connection* connection = nullptr;
    std::string language;
};
Library speechd;

template <typename F>
bool Find(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(speechd.handle, name));
    return f != nullptr;
}

// A server that went away must not end the game with SIGPIPE, and what
// the library prints must not land on the game's screen: the call runs
// with SIGPIPE held (and any it raised taken back) and standard error shut.
template <typename F>
auto Quietly(F call) {
    sigset_t pipe, before;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &before);
    const int error = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) dup2(null, STDERR_FILENO), close(null);
    auto result = call();
    if (error >= 0) dup2(error, STDERR_FILENO), close(error);
    sigset_t pending;
    int taken = 0;
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) sigwait(&pipe, &taken);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return result;
}

void Language(std::string_view code) {
    if (!speechd.connection || code == speechd.language) return;
    speechd.language = code;
    Quietly([&] { return speechd.setLanguage(speechd.connection, speechd.language.c_str()); });
}

bool Open(std::string_view code, std::string& problem) {
    if (!speechd.handle) speechd.handle = dlopen("libspeechd.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!speechd.handle) {
        problem = "Speech Dispatcher's library (libspeechd.so.2) is not installed";
        return false;
    }
    if (!Find(speechd.open, "spd_open") || !Find(speechd.say, "spd_say") ||
        !Find(speechd.setLanguage, "spd_set_language") || !Find(speechd.close, "spd_close")) {
        problem = "libspeechd.so.2 lacks the calls the game uses";
        return false;
    }
    speechd.connection = Quietly([] { return speechd.open("ranks", "main", nullptr, kModeSingle); });
    if (!speechd.connection) {
        problem = "Speech Dispatcher does not answer";
        return false;
    }
    speechd.language.clear();
    Language(code);
    return true;
}

void Say(std::string_view cp932, Voice voice) {
    if (!speechd.connection) return;
    const std::string text = Cp932ToUtf8(cp932);
    const int priority = voice == Voice::kKept ? kPriorityMessage : kPriorityText;
    Quietly([&] { return speechd.say(speechd.connection, priority, text.c_str()); });
}

void Close() {
    if (speechd.connection) Quietly([] { return speechd.close(speechd.connection), 0; });
    speechd.connection = nullptr;
}

constexpr Speaker kSpeaker{Open, Say, Language, Close};

}  // namespace

const Speaker& SpeechDispatcher() { return kSpeaker; }

}  // namespace rf::platform
