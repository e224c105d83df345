// FgTelnet: FlightGear's telnet property protocol in data mode (get and set one property).
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace orvane::fgpilot {

// One connection to fgfs --telnet=socket,bi,HZ,127.0.0.1,PORT,tcp. Each call waits at
// most timeout_ms for FlightGear (which answers once per frame).
class FgTelnet {
 public:
  explicit FgTelnet(int port, int timeout_ms = 20000) : port_(port), timeout_ms_(timeout_ms) {}
  ~FgTelnet();
  FgTelnet(const FgTelnet&) = delete;
  FgTelnet& operator=(const FgTelnet&) = delete;

  // Connects (again, after a failure) and switches to data mode; false when FlightGear does
  // not listen.
  bool connect();
  bool connected() const { return fd_ >= 0; }
  // The property's value as text; false when the connection failed.
  bool get(const std::string& property, std::string* value);
  // Convenience: the value as a number (0 when it is not one) and as a flag.
  double number(const std::string& property, bool* ok = nullptr);
  bool flag(const std::string& property);
  // Several properties in one round: the questions go out together and FlightGear answers
  // them in the same frame. Numbers (0 for text that is not one); false on a failure.
  bool numbers(const std::vector<std::string>& properties, std::vector<double>* values);
  bool set(const std::string& property, const std::string& value);
  bool set(const std::string& property, double value);
  void close();

 private:
  bool send_line(const std::string& line);
  bool read_line(std::string* line);

  int port_;
  int timeout_ms_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace orvane::fgpilot
