// AirlineServer: a scripted stand-in for the airline's server scripts on 127.0.0.1.
// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "airline/php_form.h"

namespace httplib {
class Server;
}

namespace orvane::airline {

// What a request asks of the airline, told from its decoded fields: DATA2 names the ACARS
// requests, a flight plan asks for the type "flightplan" in DATA3 and carries DATA5, a PIREP
// carries DATA2 alone.
enum class Kind { Test, BeginFlight, Message, PauseFlight, EndFlight, FlightPlan, Pirep, Other };

Kind kind_of(const Form& form);

// One POST as it arrived: the path and the body byte for byte, and the body decoded as PHP
// decodes it with the kind of request that makes it.
struct Request {
  std::string path;
  std::string body;
  std::string content_type;
  Form form{};
  Kind kind = Kind::Other;
  // The status the script chose for it (the outage's, say); 0 until then, and for a request
  // held without an answer.
  int answered = 0;
};

// How to answer one request.
struct Reply {
  int status = 200;
  std::string body;
  int delay_ms = 0;     // answer after this much real time
  bool silent = false;  // never answer: hold the request until the server stops (then 503)
  std::string location{};  // sent as the Location header when not empty (for 3xx answers)
  std::string content_type = "text/plain";
};

// The server is down for some kinds of request, or all, for a while: each such request is
// answered with reply.
struct Outage {
  std::int64_t duration_ms = 0;  // from set_outage on, by the server's clock
  std::vector<Kind> kinds{};     // empty: every request
  Reply reply{503, "Service Unavailable"};
};

// Recording HTTP server on 127.0.0.1. Every member may be called from any thread; the
// handler runs on the server's threads.
class AirlineServer {
 public:
  // Decides a reply before the scripted ones; nullopt passes on to them.
  using Handler = std::function<std::optional<Reply>(const Request&)>;
  // Milliseconds of a monotonic clock; tests hand in their own clock.
  using NowMs = std::function<std::int64_t()>;

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

  // A request is answered by the first of: the outage, the handler, the replies queued for
  // its kind, its kind's default, the replies queued for its path, its path's default, and
  // otherwise 404. A kind's replies may be kept to one path ("" : any path); those of the
  // request's path go before those of any path.

  // The reply for a path when nothing is queued for it.
  void set_default(const std::string& path, Reply reply);
  // Queued replies for a path are used first, one per request, in order.
  void push_reply(const std::string& path, Reply reply);
  void set_handler(Handler handler);
  // The reply for a kind of request when nothing is queued for it.
  void set_kind_default(Kind kind, Reply reply, const std::string& only_path = {});
  // Queued replies for a kind, one per request, in order.
  void push_kind_reply(Kind kind, Reply reply, const std::string& only_path = {});
  // Down from now on for outage.duration_ms by now_ms (the steady clock when empty).
  void set_outage(Outage outage, NowMs now_ms = {});
  void clear_outage();
  // A redirect with status (301, 302, 307, ...) to path on this server.
  Reply redirect(int status, const std::string& path) const;

  // Recorded requests in arrival order.
  std::vector<Request> requests() const;
  std::vector<Request> requests_for(const std::string& path) const;
  std::size_t count(const std::string& path) const;
  std::size_t total() const;
  // Waits (real time, at most timeout_ms) until count(path) >= n.
  bool wait_for_count(const std::string& path, std::size_t n, int timeout_ms) const;
  // Forgets the recorded requests; the script stays.
  void clear();
  // Forgets the defaults, the queued replies, the handler and the outage.
  void clear_script();

 private:
  using KindKey = std::pair<Kind, std::string>;  // a kind and the one path it is kept to

  Reply answer(const Request& request);
  Reply choose(const Request& request);
  // Notes reply's status on the recorded request number; under mutex_.
  void note_answer(std::uint64_t number, const Reply& reply);
  std::optional<Reply> outage_reply(const Request& request) const;  // under mutex_
  std::optional<Reply> kind_reply(const Request& request);           // under mutex_

  mutable std::mutex mutex_;               // guards the members down to port_
  mutable std::condition_variable event_;  // a request arrived, or the server is stopping
  std::vector<Request> requests_;
  std::vector<std::uint64_t> numbers_;  // of requests_, one each: the count of requests before
  std::uint64_t received_ = 0;
  std::map<std::string, Reply> defaults_;
  std::map<std::string, std::deque<Reply>> queued_;
  std::map<KindKey, Reply> kind_defaults_;
  std::map<KindKey, std::deque<Reply>> kind_queued_;
  Handler handler_;
  std::optional<Outage> outage_;
  NowMs outage_clock_;
  std::int64_t outage_start_ms_ = 0;
  bool stopping_ = false;
  int port_ = 0;
  // The running server and its listening thread, made and ended by start() and stop().
  mutable std::mutex control_;  // guards server_ and listener_; taken before mutex_
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
};

}  // namespace orvane::airline
