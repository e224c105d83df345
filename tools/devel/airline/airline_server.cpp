// AirlineServer: records each POST and answers it from the script, over cpp-httplib.
// SPDX-License-Identifier: MIT
#include "airline/airline_server.h"

#include <httplib.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <utility>

namespace orvane::airline {

namespace {

constexpr const char* kHost = "127.0.0.1";

// Worker threads per server. Each silent request holds one until stop(); later requests
// wait in the pool's queue, which from the client's side looks the same.
constexpr std::size_t kPoolThreads = 32;

// Real time for the listener to come up after start().
constexpr auto kStartWait = std::chrono::seconds(5);

std::int64_t steady_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

Kind kind_of(const Form& form) {
  if (form.value("DATA3") == "flightplan" && form.has("DATA5")) return Kind::FlightPlan;
  const std::string request = form.value("DATA2");
  if (request == "TEST") return Kind::Test;
  if (request == "BEGINFLIGHT") return Kind::BeginFlight;
  if (request == "MESSAGE") return Kind::Message;
  if (request == "PAUSEFLIGHT") return Kind::PauseFlight;
  if (request == "ENDFLIGHT") return Kind::EndFlight;
  if (form.has("DATA2") && !form.has("DATA3")) return Kind::Pirep;
  return Kind::Other;
}

AirlineServer::AirlineServer(int port) : port_(port > 0 ? port : 0) {}

AirlineServer::~AirlineServer() { stop(); }

bool AirlineServer::start() {
  std::lock_guard<std::mutex> control(control_);
  if (server_) return true;

  auto server = std::make_unique<httplib::Server>();
  server->new_task_queue = [] { return new httplib::ThreadPool(kPoolThreads); };
  // One request per connection: an idle kept-alive connection would otherwise hold a
  // worker, and stop() with it, for seconds.
  server->set_keep_alive_max_count(1);
  server->set_keep_alive_timeout(1);
  // The body is read here rather than by the library, which refuses form bodies past 8 KB
  // and would parse them; a long PIREP comment must reach the recording whole.
  server->Post(".*", [this](const httplib::Request& in, httplib::Response& out,
                            const httplib::ContentReader& read) {
    Request request{in.path, {}, in.get_header_value("Content-Type")};
    read([&request](const char* data, std::size_t length) {
      request.body.append(data, length);
      return true;
    });
    request.form = Form(request.body);
    request.kind = kind_of(request.form);
    const Reply reply = answer(request);
    if (reply.silent || reply.delay_ms > 0) {
      std::unique_lock<std::mutex> lock(mutex_);
      if (reply.silent) {
        event_.wait(lock, [this] { return stopping_; });
        // Released by stop(): a client still waiting learns that the server went away.
        out.status = 503;
        return;
      } else {
        event_.wait_for(lock, std::chrono::milliseconds(reply.delay_ms),
                        [this] { return stopping_; });
      }
    }
    out.status = reply.status;
    if (!reply.location.empty()) out.set_header("Location", reply.location);
    out.set_content(reply.body, reply.content_type.c_str());
  });

  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
  }
  int port = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    port = port_;
  }
  if (port == 0) {
    port = server->bind_to_any_port(kHost);
    if (port <= 0) return false;
  } else if (!server->bind_to_port(kHost, port)) {
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    port_ = port;
  }

  httplib::Server* raw = server.get();
  listener_ = std::thread([raw] {
    // A client that gave up leaves a closed socket behind; writing the late answer to it
    // must not end the process. The workers inherit this mask from the listener.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    raw->listen_after_bind();
  });
  // stop() only works on a server that is listening; wait until it is.
  const auto deadline = std::chrono::steady_clock::now() + kStartWait;
  while (!raw->is_running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  server_ = std::move(server);
  if (!raw->is_running()) {
    // The listener failed at once; it has returned or will without serving.
    listener_.join();
    server_.reset();
    return false;
  }
  return true;
}

void AirlineServer::stop() {
  std::lock_guard<std::mutex> control(control_);
  if (!server_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  event_.notify_all();
  server_->stop();
  listener_.join();
  server_.reset();
}

bool AirlineServer::running() const {
  std::lock_guard<std::mutex> control(control_);
  return server_ != nullptr;
}

int AirlineServer::port() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return port_;
}

std::string AirlineServer::url(const std::string& path) const {
  return "http://" + std::string(kHost) + ":" + std::to_string(port()) + path;
}

void AirlineServer::set_default(const std::string& path, Reply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  defaults_[path] = std::move(reply);
}

void AirlineServer::push_reply(const std::string& path, Reply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  queued_[path].push_back(std::move(reply));
}

void AirlineServer::set_handler(Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(handler);
}

void AirlineServer::set_kind_default(Kind kind, Reply reply, const std::string& only_path) {
  std::lock_guard<std::mutex> lock(mutex_);
  kind_defaults_[KindKey(kind, only_path)] = std::move(reply);
}

void AirlineServer::push_kind_reply(Kind kind, Reply reply, const std::string& only_path) {
  std::lock_guard<std::mutex> lock(mutex_);
  kind_queued_[KindKey(kind, only_path)].push_back(std::move(reply));
}

void AirlineServer::set_outage(Outage outage, NowMs now_ms) {
  if (!now_ms) now_ms = steady_ms;
  const std::int64_t start = now_ms();
  std::lock_guard<std::mutex> lock(mutex_);
  outage_ = std::move(outage);
  outage_clock_ = std::move(now_ms);
  outage_start_ms_ = start;
}

void AirlineServer::clear_outage() {
  std::lock_guard<std::mutex> lock(mutex_);
  outage_.reset();
  outage_clock_ = nullptr;
}

Reply AirlineServer::redirect(int status, const std::string& path) const {
  Reply reply{status, "<html><body>Moved to " + path + "</body></html>"};
  reply.location = url(path);
  reply.content_type = "text/html";
  return reply;
}

std::vector<Request> AirlineServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::vector<Request> AirlineServer::requests_for(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Request> found;
  for (const Request& r : requests_) {
    if (r.path == path) found.push_back(r);
  }
  return found;
}

std::size_t AirlineServer::count(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t n = 0;
  for (const Request& r : requests_) {
    if (r.path == path) ++n;
  }
  return n;
}

std::size_t AirlineServer::total() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.size();
}

bool AirlineServer::wait_for_count(const std::string& path, std::size_t n,
                                   int timeout_ms) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return event_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    std::size_t seen = 0;
    for (const Request& r : requests_) {
      if (r.path == path) ++seen;
    }
    return seen >= n;
  });
}

void AirlineServer::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
  numbers_.clear();
}

void AirlineServer::clear_script() {
  std::lock_guard<std::mutex> lock(mutex_);
  defaults_.clear();
  queued_.clear();
  kind_defaults_.clear();
  kind_queued_.clear();
  handler_ = nullptr;
  outage_.reset();
  outage_clock_ = nullptr;
}

std::optional<Reply> AirlineServer::outage_reply(const Request& request) const {
  if (!outage_ || outage_clock_() - outage_start_ms_ >= outage_->duration_ms) return std::nullopt;
  const std::vector<Kind>& kinds = outage_->kinds;
  if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), request.kind) == kinds.end()) {
    return std::nullopt;
  }
  return outage_->reply;
}

std::optional<Reply> AirlineServer::kind_reply(const Request& request) {
  const KindKey keys[] = {KindKey(request.kind, request.path), KindKey(request.kind, "")};
  for (const KindKey& key : keys) {
    auto queue = kind_queued_.find(key);
    if (queue != kind_queued_.end() && !queue->second.empty()) {
      Reply reply = std::move(queue->second.front());
      queue->second.pop_front();
      return reply;
    }
  }
  for (const KindKey& key : keys) {
    auto fixed = kind_defaults_.find(key);
    if (fixed != kind_defaults_.end()) return fixed->second;
  }
  return std::nullopt;
}

void AirlineServer::note_answer(std::uint64_t number, const Reply& reply) {
  if (reply.silent) return;
  for (std::size_t i = numbers_.size(); i-- > 0;) {
    if (numbers_[i] == number) {
      requests_[i].answered = reply.status;
      return;
    }
  }
}

Reply AirlineServer::answer(const Request& request) {
  std::uint64_t number = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    number = received_++;
    requests_.push_back(request);
    numbers_.push_back(number);
  }
  event_.notify_all();
  Reply reply = choose(request);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    note_answer(number, reply);
  }
  event_.notify_all();
  return reply;
}

Reply AirlineServer::choose(const Request& request) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::optional<Reply> down = outage_reply(request)) return *down;
    handler = handler_;
  }

  // Outside the lock, so that a handler may look at the recorded requests.
  if (handler) {
    if (std::optional<Reply> chosen = handler(request)) return *chosen;
  }

  std::lock_guard<std::mutex> lock(mutex_);
  if (std::optional<Reply> scripted = kind_reply(request)) return *scripted;
  auto queue = queued_.find(request.path);
  if (queue != queued_.end() && !queue->second.empty()) {
    Reply reply = std::move(queue->second.front());
    queue->second.pop_front();
    return reply;
  }
  auto fixed = defaults_.find(request.path);
  if (fixed != defaults_.end()) return fixed->second;
  return Reply{404, "Not Found", 0, false, {}};
}

}  // namespace orvane::airline
