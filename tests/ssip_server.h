// A Speech Dispatcher stand-in for the tests: it speaks the server's side
// of SSIP on a unix socket (SPEECHD_ADDRESS=unix_socket:PATH) to the game's
// real client library, and keeps every line it is asked to say with the
// priority and the language set for it.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rf::test {

class SsipServer {
public:
    struct Said {
        std::string priority, language, text;
    };

    explicit SsipServer(const std::filesystem::path& socket) : path_(socket) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path_.string().copy(address.sun_path, sizeof address.sun_path - 1);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 4) != 0)
            return;
        thread_ = std::thread([this] { Serve(); });
    }
    ~SsipServer() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        if (thread_.joinable()) thread_.join();
        std::filesystem::remove(path_);
    }
    SsipServer(const SsipServer&) = delete;
    SsipServer& operator=(const SsipServer&) = delete;

    std::string Address() const { return "unix_socket:" + path_.string(); }
    std::vector<Said> Heard() {
        std::lock_guard lock(mutex_);
        return said_;
    }
    std::size_t Count() { return Heard().size(); }
    // Everything said, a line each, for a failure's message.
    std::string Transcript() {
        std::string out;
        for (const Said& s : Heard()) out += s.priority + " " + s.language + ": " + s.text + "\n";
        return out;
    }
    // The first line from index `from` on that holds `part`; -1 if none came
    // within `timeout`.
    int WaitFor(const std::string& part, std::size_t from = 0,
                std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        for (auto end = std::chrono::steady_clock::now() + timeout;;) {
            const std::vector<Said> said = Heard();
            for (std::size_t i = from; i < said.size(); ++i)
                if (said[i].text.find(part) != std::string::npos) return static_cast<int>(i);
            if (std::chrono::steady_clock::now() > end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

private:
    void Serve() {
        while (!stop_) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) return;
            Converse(client);
            ::close(client);
        }
    }
    // One client, command by command: every command is taken with a 2xx
    // reply, SPEAK's text up to its lone dot with a message id.
    void Converse(int client) {
        std::string buffer, priority = "text", language, text;
        bool speaking = false;
        auto reply = [client](const std::string& r) { return ::send(client, r.data(), r.size(), MSG_NOSIGNAL) > 0; };
        for (char chunk[4096];;) {
            const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) return;
            buffer.append(chunk, static_cast<std::size_t>(n));
            for (std::size_t end; (end = buffer.find("\r\n")) != std::string::npos;) {
                std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 2);
                if (speaking) {
                    if (line == ".") {
                        speaking = false;
                        {
                            std::lock_guard lock(mutex_);
                            said_.push_back({priority, language, text});
                        }
                        text.clear();
                        reply("225-" + std::to_string(++messages_) + "\r\n225 OK MESSAGE QUEUED\r\n");
                    } else {
                        text += (text.empty() ? "" : "\n") + (line.starts_with("..") ? line.substr(1) : line);
                    }
                    continue;
                }
                std::string upper = line;
                for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (upper == "SPEAK") {
                    speaking = true;
                    reply("230 OK RECEIVING DATA\r\n");
                } else if (upper.starts_with("SET SELF PRIORITY ")) {
                    priority = line.substr(18);
                    for (char& c : priority) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                    reply("202 OK PRIORITY SET\r\n");
                } else if (upper.starts_with("SET SELF LANGUAGE ")) {
                    language = line.substr(18);
                    reply("201 OK LANGUAGE SET\r\n");
                } else if (upper.starts_with("HISTORY GET CLIENT_ID")) {
                    reply("245-1\r\n245 OK CLIENT ID SENT\r\n");
                } else if (upper == "QUIT") {
                    reply("231 HAPPY HACKING\r\n");
                    return;
                } else {
                    reply("200 OK\r\n");
                }
            }
        }
    }

    std::filesystem::path path_;
    int listener_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Said> said_;
    int messages_ = 0;
};

}  // namespace rf::test
