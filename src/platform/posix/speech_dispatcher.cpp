// Speech Dispatcher's client library (libspeechd), opened with dlopen so
// the game runs, and builds, where it is not installed. The few calls are
// declared here as the library exports them; SPEECHD_ADDRESS chooses the
// server as for any of its clients. The library waits for the server's
// every answer, and a server that hangs (one whose audio failed) would
// hang the game: the calls run on a thread of their own, which the game
// hands its lines to and never waits for, beyond a short wait to learn
// whether the server answers at all.
#include "platform/posix/speech_dispatcher.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "text/cp932.h"

namespace rf::platform {
namespace {

struct Connection;
// SPDPriority: a message waits for the one being said; a text is dropped
// by the next one.
constexpr int kPriorityMessage = 2;
constexpr int kPriorityText = 3;
constexpr int kModeSingle = 0;  // no thread of the library's own
// Lines waiting for a server that is slow to take them: the oldest passing
// ones go first.
constexpr std::size_t kMostWaiting = 64;
constexpr auto kAnswerWait = std::chrono::seconds(2);

struct Line {
    std::string utf8;
    int priority = kPriorityText;
    std::string language;  // set before the line when not empty
};

struct Library {
    void* handle = nullptr;
    Connection* (*open)(const char*, const char*, const char*, int) = nullptr;
    int (*say)(Connection*, int, const char*) = nullptr;
    int (*setLanguage)(Connection*, const char*) = nullptr;
    // Shared with the thread.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Line> waiting;
    enum class State { kClosed, kConnecting, kConnected, kFailed } state = State::kClosed;
    std::string language;  // the last asked for
};
// Never destroyed: the thread may still wait on it while the process ends.
Library& speechd = *new Library();

template <typename F>
bool Find(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(speechd.handle, name));
    return f != nullptr;
}

// What the library prints while it connects must not land on the game's
// screen: standard error is shut meanwhile.
Connection* Connect() {
    const int error = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) dup2(null, STDERR_FILENO), close(null);
    Connection* connection = speechd.open("ranks", "main", nullptr, kModeSingle);
    if (error >= 0) dup2(error, STDERR_FILENO), close(error);
    return connection;
}

// The thread: connects, then says each line as it comes, for the rest of
// the run. Every signal is blocked in it (SIGPIPE from a server gone
// included); the game's own go to the game's thread.
void Speak() {
    Connection* connection = Connect();
    std::unique_lock lock(speechd.mutex);
    speechd.state = connection ? Library::State::kConnected : Library::State::kFailed;
    speechd.changed.notify_all();
    if (!connection) return;
    for (;;) {
        speechd.changed.wait(lock, [] { return !speechd.waiting.empty(); });
        const Line line = std::move(speechd.waiting.front());
        speechd.waiting.pop_front();
        lock.unlock();
        if (!line.language.empty()) speechd.setLanguage(connection, line.language.c_str());
        if (!line.utf8.empty()) speechd.say(connection, line.priority, line.utf8.c_str());
        lock.lock();
    }
}

void Hand(Line line) {
    std::lock_guard lock(speechd.mutex);
    if (speechd.state == Library::State::kFailed || speechd.state == Library::State::kClosed) return;
    if (speechd.waiting.size() >= kMostWaiting) {
        for (auto i = speechd.waiting.begin(); i != speechd.waiting.end(); ++i)
            if (i->priority == kPriorityText && i->language.empty()) {
                speechd.waiting.erase(i);
                break;
            }
        if (speechd.waiting.size() >= kMostWaiting) return;
    }
    speechd.waiting.push_back(std::move(line));
    speechd.changed.notify_all();
}

void Language(std::string_view code) {
    {
        std::lock_guard lock(speechd.mutex);
        if (code == speechd.language) return;
        speechd.language = code;
    }
    Hand({"", kPriorityText, std::string(code)});
}

bool Open(std::string_view code, std::string& problem) {
    if (!speechd.handle) speechd.handle = dlopen("libspeechd.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!speechd.handle) {
        problem = "Speech Dispatcher's library (libspeechd.so.2) is not installed";
        return false;
    }
    if (!Find(speechd.open, "spd_open") || !Find(speechd.say, "spd_say") ||
        !Find(speechd.setLanguage, "spd_set_language")) {
        problem = "libspeechd.so.2 lacks the calls the game uses";
        return false;
    }
    std::unique_lock lock(speechd.mutex);
    if (speechd.state == Library::State::kFailed) speechd.state = Library::State::kClosed;  // tried again
    if (speechd.state == Library::State::kClosed) {
        speechd.state = Library::State::kConnecting;
        sigset_t all, before;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &before);
        std::thread(Speak).detach();
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    // A server that is slow to answer may still: the lines wait for it.
    speechd.changed.wait_for(lock, kAnswerWait, [] { return speechd.state != Library::State::kConnecting; });
    if (speechd.state == Library::State::kFailed) {
        problem = "Speech Dispatcher does not answer";
        return false;
    }
    lock.unlock();
    Language(code);
    return true;
}

void Say(std::string_view cp932, Voice voice) {
    Hand({Cp932ToUtf8(cp932), voice == Voice::kKept ? kPriorityMessage : kPriorityText, ""});
}

// The connection stays for the run (the library cannot be interrupted in
// a call): turned off, the game only stops handing it lines.
void Close() {}

constexpr Speaker kSpeaker{Open, Say, Language, Close};

}  // namespace

const Speaker& SpeechDispatcher() { return kSpeaker; }

}  // namespace rf::platform
