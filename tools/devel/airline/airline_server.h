// AirlineServer: a scripted stand-in for the airline's server scripts on 127.0.0.1.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace orvane::airline {

// One POST as it arrived: the path and the body byte for byte.
struct Request {
  std::string path;
  std::string body;
  std::string content_type;
};

// How to answer one request.
struct Reply {
  int status = 200;
  std::string body;
  int delay_ms = 0;     // answer after this much real time
  bool silent = false;  // never answer: hold the request until the server stops (then 503)
  std::string location{};  // sent as the Location header when not empty (for 3xx answers)
};

// Recording HTTP server on 127.0.0.1. Every member may be called from any thread; the
// handler runs on the server's threads.
class AirlineServer {
 public:
  // Decides a reply before the queued and default ones; nullopt passes on to them.
  using Handler = std::function<std::optional<Reply>(const Request&)>;

  // port 0: an ephemeral port chosen at the first start().
  explicit AirlineServer(int port = 0);
  ~AirlineServer();  // stops the server
  AirlineServer(const AirlineServer&) = delete;
  AirlineServer& operator=(const AirlineServer&) = delete;

  // Binds the port (an ephemeral one the first time when none was given, the same one after
  // a stop()) and serves on threads of its own. False when the port cannot be bound.
  bool start();
  // Releases held (silent or delayed) requests, closes the port and joins the threads.
  // The port then refuses connections, like a server that is down.
  void stop();
  // start() again on the same port.
  bool restart() { return start(); }
  bool running() const;

  int port() const;
  // "http://127.0.0.1:<port>" + path
  std::string url(const std::string& path) const;

  // The reply for a path when nothing is queued for it.
  void set_default(const std::string& path, Reply reply);
  // Queued replies for a path are used first, one per request, in order.
  void push_reply(const std::string& path, Reply reply);
  void set_handler(Handler handler);

  // Recorded requests in arrival order.
  std::vector<Request> requests() const;
  std::vector<Request> requests_for(const std::string& path) const;
  std::size_t count(const std::string& path) const;
  std::size_t total() const;
  // Waits (real time, at most timeout_ms) until count(path) >= n.
  bool wait_for_count(const std::string& path, std::size_t n, int timeout_ms) const;
  // Forgets the recorded requests; the script stays.
  void clear();
  // Forgets the defaults, the queued replies and the handler.
  void clear_script();

 private:
  Reply answer(const Request& request);

  mutable std::mutex mutex_;               // guards the members down to port_
  mutable std::condition_variable event_;  // a request arrived, or the server is stopping
  std::vector<Request> requests_;
  std::map<std::string, Reply> defaults_;
  std::map<std::string, std::deque<Reply>> queued_;
  Handler handler_;
  bool stopping_ = false;
  int port_ = 0;
  // The running server and its listening thread, made and ended by start() and stop().
  mutable std::mutex control_;  // guards server_ and listener_; taken before mutex_
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
};

}  // namespace orvane::airline
