// AirlineServer: records each POST and answers it from the script, over cpp-httplib.
#include "airline/airline_server.h"

#include <httplib.h>
#include <pthread.h>

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

}  // namespace

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
    out.set_content(reply.body, "text/plain");
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
}

void AirlineServer::clear_script() {
  std::lock_guard<std::mutex> lock(mutex_);
  defaults_.clear();
  queued_.clear();
  handler_ = nullptr;
}

Reply AirlineServer::answer(const Request& request) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    handler = handler_;
  }
  event_.notify_all();

  // Outside the lock, so that a handler may look at the recorded requests.
  if (handler) {
    if (std::optional<Reply> chosen = handler(request)) return *chosen;
  }

  std::lock_guard<std::mutex> lock(mutex_);
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
