#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A picture server on loopback for the TCP picture source: it accepts every
// connection and runs a script on it, each on a thread of its own, so tests
// can answer, stall, close or send garbage as they please.
namespace orbisk::test {

// One item of a reply body: type, then the data (its length goes between).
struct ReplyItem {
    int32_t type;
    std::string data;
};
std::vector<uint8_t> ReplyBody(const std::vector<ReplyItem>& items);
// A whole reply: the 12-byte length field (the body's length, or `field`
// as given, cut or padded with zero bytes to 12) and the body.
std::vector<uint8_t> Reply(const std::vector<uint8_t>& body);
std::vector<uint8_t> Reply(const std::string& field, const std::vector<uint8_t>& body);
std::vector<uint8_t> Reply(const std::vector<ReplyItem>& items);
std::string Bytes(const std::vector<uint8_t>& bytes);

class FakePictureServer {
  public:
    class Connection {
      public:
        Connection(FakePictureServer* server, int fd, int index)
            : server_(server), fd_(fd), index_(index) {}
        // 0 for the first connection the server accepted.
        int Index() const { return index_; }
        // One client message: the 4-byte length field and the body it
        // announces, raw. False when the client closed first (or stopped).
        bool ReadMessage(std::vector<uint8_t>& message);
        bool Send(const std::vector<uint8_t>& bytes);
        // Reads and drops whatever comes until the client closes its side
        // or the server stops: a stalled server.
        void WaitForClose();
        // Sends the end of the stream (the connection is closed afterwards).
        void CloseSend();

      private:
        bool ReadExact(uint8_t* data, size_t length);
        FakePictureServer* server_;
        int fd_;
        int index_;
    };
    using Script = std::function<void(Connection&)>;

    explicit FakePictureServer(Script script);
    // Stops: every connection is shut down and every script ends.
    ~FakePictureServer();
    FakePictureServer(const FakePictureServer&) = delete;
    FakePictureServer& operator=(const FakePictureServer&) = delete;

    int Port() const { return port_; }
    int Accepted() const { return accepted_; }
    // Connections whose script has ended.
    int Finished() const { return finished_; }
    long MessagesRead() const { return messagesRead_; }
    // Every message the scripts read, in the order read.
    std::vector<std::vector<uint8_t>> Messages() const;

  private:
    void AcceptLoop();
    void Record(const std::vector<uint8_t>& message);

    Script script_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    int port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<int> finished_{0};
    std::atomic<long> messagesRead_{0};
    mutable std::mutex lock_;
    std::vector<std::vector<uint8_t>> messages_;
    std::vector<int> fds_;
    std::vector<std::thread> connections_;
    std::thread acceptThread_;
};

// A script that answers every frame request with one frame item holding
// `jpeg`, until the client closes.
FakePictureServer::Script ServeFrames(std::vector<uint8_t> jpeg);

}  // namespace orbisk::test
