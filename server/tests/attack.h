// Hostile clients for the service's tests and benchmark, over plain sockets:
// connections from any local address (127.0.0.0/8), requests written byte
// by byte, and a crowd of slow and idle connections kept up in the
// background while the real clients are measured.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sorla::reports::testing {

// A TCP connection to 127.0.0.1:PORT made from the local address `from`;
// -1 when it cannot be made. Blocking, with reads and writes timing out
// after 5 s.
int connect_from(const std::string& from, int port);
bool send_all(int fd, std::string_view bytes);
// What comes until the server closes the connection, or `wait` passes.
std::string read_until_closed(int fd, std::chrono::milliseconds wait);
// Whether the server closed the connection (or reset it) within `wait`;
// anything it sends first is read and dropped.
bool closed_within(int fd, std::chrono::milliseconds wait);
// The status of the first answer in `bytes`; 0 when there is none.
int status_of(std::string_view bytes);
// The local addresses 127.0.0.FIRST ... in turn, `count` of them.
std::vector<std::string> local_addresses(int first, int count);

// Raises this process's open-file limit as far as the system allows.
void raise_file_limit();

struct AttackPlan {
  int port = 0;
  int tricklers = 0;  // send a request's head a byte at a time, never ending it
  int idle = 0;       // send one request, read the answer, then wait
  std::vector<std::string> from = {"127.0.0.2"};  // the addresses used in turn
  std::chrono::milliseconds trickle_every{1000};
  // The idle connections' requests carry made-up X-Forwarded-For addresses,
  // as if a proxy brought them.
  bool forwarded = false;
};

// The plan's connections, kept open from a thread of its own: each one the
// server closes is opened again a little later.
class Attack {
 public:
  explicit Attack(AttackPlan plan);
  ~Attack();
  Attack(const Attack&) = delete;
  Attack& operator=(const Attack&) = delete;

  long tricklers_closed() const { return tricklers_closed_; }
  long idle_closed() const { return idle_closed_; }
  int open() const { return open_; }

 private:
  void run();

  AttackPlan plan_;
  std::atomic<bool> stop_{false};
  std::atomic<long> tricklers_closed_{0}, idle_closed_{0};
  std::atomic<int> open_{0};
  std::thread thread_;
};

// The built sorla-reports on a free port, with its log in LOG, started with
// SORLA_FORM_SECRET=formkey and SORLA_ADMIN_TOKEN=s3cret and the given
// arguments after --listen; running once /healthz answers.
class ServiceProcess {
 public:
  ServiceProcess(const std::string& exe, const std::vector<std::string>& args,
                 const std::string& log);
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool running() const { return pid_ > 0; }
  // The wait status of a program that ended before it answered.
  int early_status() const { return early_status_; }
  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // Resident memory, in KiB.
  long rss_kib() const;
  // Sends `signal` and waits: the wait status.
  int stop(int signal);

 private:
  pid_t pid_ = 0;
  int port_ = 0;
  int early_status_ = -1;
};

}  // namespace sorla::reports::testing
